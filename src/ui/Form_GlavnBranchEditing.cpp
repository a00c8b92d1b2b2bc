// The branch panel's five editing commands: add a branch, add a sub-branch, delete, rename
// and replace the description. The first four change the tree, one record and the tree
// file; a record is changed or deleted only when it is the branch's own.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/store/BranchText.h"
#include "infobase/tree/TreeFile.h"
#include "platform/DesktopServices.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QToolButton>

namespace {

// The name field's text; an empty one ends the command after its message.
QString requireBranchName(TForm_Glavn& window) {
    const QString name = window.Edit_Mame_Vetok->text();
    if (name.isEmpty()) {
        window.showMessage(QStringLiteral("Вы не ввели название ветки!"));
        throw SilentAbort();
    }
    return name;
}

// The selected node; without one the command ends after its message.
infobase::TTreeNode* requireSelectedNode(TForm_Glavn& window) {
    infobase::TTreeNode* node = window.TreeNodes.Selected();
    if (node == nullptr) {
        window.showMessage(QStringLiteral("Вы не выбрали ветку!"));
        throw SilentAbort();
    }
    return node;
}

// The description field's text as a record stores it (line breaks as CR LF).
QString descriptionFieldText(const TForm_Glavn& window) {
    return infobase::textyFromPaneText(window.Memo_opisanie->document()->toRawText());
}

void setField(infobase::BranchQuery& query, const char* field, const QString& value) {
    query.FieldByName(QLatin1String(field)).SetAsString(value);
}

void insertBranchRecord(TForm_Glavn& window, const QString& name) {
    infobase::BranchQuery& query = window.Query_Glav;
    query.Insert();
    setField(query, "Dat", platform::todayShortDate());
    setField(query, "Imya_vetok", name);
    setField(query, "Opisanie", descriptionFieldText(window));
    query.Post();
}

void rewriteTreeFile(TForm_Glavn& window) {
    infobase::writeTreeFile(infobase::AppPaths{window.Base}.treeFile(), window.TreeView1State,
                            window.TreeNodes);
}

} // namespace

void TForm_Glavn::connectBranchEditing() {
    connect(SpeedButton_vvod_vetki, &QToolButton::clicked, this,
            &TForm_Glavn::SpeedButton_vvod_vetkiClick);
    connect(SpeedButton_vvod_podvetki, &QToolButton::clicked, this,
            &TForm_Glavn::SpeedButton_vvod_podvetkiClick);
    connect(SpeedButton_Delete, &QToolButton::clicked, this, &TForm_Glavn::SpeedButton_DeleteClick);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm_Glavn::SpeedButton3Click);
    connect(SpeedButton_zam_opisanie_podvetki, &QToolButton::clicked, this,
            &TForm_Glavn::SpeedButton_zam_opisanie_podvetkiClick);
}

void TForm_Glavn::SpeedButton_vvod_vetkiClick() {
    const QString name = requireBranchName(*this);
    TreeNodes.Add(TreeNodes.Selected(), name);
    insertBranchRecord(*this, name);
    rewriteTreeFile(*this);
    Edit_Mame_Vetok->clear();
}

void TForm_Glavn::SpeedButton_vvod_podvetkiClick() {
    infobase::TTreeNode* parent = TreeNodes.Selected();
    if (parent == nullptr) {
        showMessage(QStringLiteral("Вы не выбрали в какой ветке делаем подветку!"));
        return;
    }
    const QString name = requireBranchName(*this);
    TreeNodes.AddChild(parent, name);
    insertBranchRecord(*this, name);
    rewriteTreeFile(*this);
    Edit_Mame_Vetok->clear();
}

void TForm_Glavn::SpeedButton_DeleteClick() {
    if (TreeNodes.Count() == 0) {
        showMessage(QStringLiteral("Так нет же веток!"));
        throw SilentAbort();
    }
    infobase::TTreeNode* node = requireSelectedNode(*this);
    if (node->HasChildren()) {
        showMessage(QStringLiteral("Сначала удалите подветку!"));
        Image1->repaint();
        throw SilentAbort();
    }
    SpeedButton_Delete->setText(QStringLiteral("Подождите....."));
    PaintPendingWork();
    if (Query_Glav.LocateOwn(node->Text())) {
        Query_Glav.Delete();
    }
    PaintPendingWork();
    if (node->Text() == clickedBranchName_) {
        clickedBranchName_.clear();
    }
    TreeNodes.Delete(node);
    PaintPendingWork();
    Image1->repaint();
    PaintPendingWork();
    SpeedButton_Delete->setText(QStringLiteral(" Удалить ветку/ подветку"));
    rewriteTreeFile(*this);
    Edit_Mame_Vetok->clear();
}

void TForm_Glavn::SpeedButton3Click() {
    const QString name = requireBranchName(*this);
    infobase::TTreeNode* node = requireSelectedNode(*this);
    const bool ownRecord = Query_Glav.LocateOwn(node->Text());
    if (node->Text() == clickedBranchName_) {
        clickedBranchName_ = name;
    }
    TreeNodes.setText(node, name);
    if (ownRecord) {
        Query_Glav.Edit();
        setField(Query_Glav, "Dat", platform::todayShortDate());
        setField(Query_Glav, "Imya_vetok", name);
        setField(Query_Glav, "Opisanie", descriptionFieldText(*this));
        Query_Glav.Post();
    }
    rewriteTreeFile(*this);
    Edit_Mame_Vetok->clear();
}

void TForm_Glavn::SpeedButton_zam_opisanie_podvetkiClick() {
    const QString description = descriptionFieldText(*this);
    if (description.isEmpty()) {
        showMessage(QStringLiteral("Поле описание пусто!"));
        throw SilentAbort();
    }
    bool edited = false;
    try {
        // Only the record of the branch the last click showed, and only its own.
        if (clickedBranchName_.isEmpty()) {
            showMessage(QStringLiteral("Вы не выбрали ветку!"));
            return;
        }
        if (!Query_Glav.LocateOwn(clickedBranchName_)) {
            showMessage(QStringLiteral("У этой ветки нет своей записи в базе!"));
            return;
        }
        Query_Glav.Edit();
        setField(Query_Glav, "Dat", platform::todayShortDate());
        setField(Query_Glav, "Opisanie", description);
        Query_Glav.Post();
        edited = true;
    } catch (...) {
    }
    showMessage(edited ? QStringLiteral("Отредактировано!")
                       : QStringLiteral("Не удалось отредактировать!"));
}
