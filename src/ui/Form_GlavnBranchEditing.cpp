// The branch panel's five editing commands: add a branch, add a sub-branch, delete, rename
// and replace the description. The first four change the tree, one record and the tree
// file, all or nothing; a record is changed or deleted only when it is the branch's own.
#include "common/Failure.h"
#include "infobase/store/BranchText.h"
#include "infobase/tree/BranchNames.h"
#include "infobase/wholefile/TreeCommit.h"
#include "platform/DesktopServices.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/TreeInputDrop.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeView>

namespace {

// Said when the selected branch is not the one the fields were filled from.
const QString kShowBranchFirst =
    QStringLiteral("Сначала щёлкните эту ветку.\rС клавиатуры: выберите её и нажмите Enter.");

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

// A name the tree file cannot keep whole, or one another branch has already: the command
// ends after its message. Names are unique among the branches, so that each branch has a
// record of its own.
void requireFreeName(TForm_Glavn& window, const QString& name, const infobase::TTreeNode* except) {
    if (!infobase::nameFitsTreeFile(name)) {
        window.showMessage(QStringLiteral("Название ветки длиннее %1 знаков!")
                               .arg(infobase::kMaxBranchNameLength));
        throw SilentAbort();
    }
    if (infobase::nameTakenByOther(window.TreeNodes, name, except)) {
        window.showMessage(QStringLiteral("Ветка с таким названием уже есть!"));
        throw SilentAbort();
    }
}

// The selected node, when it is the branch the name and description fields were filled
// from by a click; otherwise the command ends after its message.
infobase::TTreeNode* requireShownSelection(TForm_Glavn& window, infobase::TTreeNode* shown) {
    infobase::TTreeNode* node = requireSelectedNode(window);
    if (node != shown) {
        window.showMessage(kShowBranchFirst);
        throw SilentAbort();
    }
    return node;
}

// Stores a node just added, with its new record; on failure the node goes again, and the
// parent's expand button (which a sub-branch sets) is as it was.
void commitNewBranch(TForm_Glavn& window, infobase::TTreeNode* node,
                     infobase::TTreeNode* parentOfSubBranch, bool parentHadChildren = false) {
    try {
        window.commitTreeChange([&window, node] { insertBranchRecord(window, node->Text()); });
    } catch (...) {
        window.TreeNodes.Delete(node);
        if (parentOfSubBranch != nullptr) {
            window.TreeNodes.setHasChildren(parentOfSubBranch, parentHadChildren);
        }
        throw;
    }
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
    const TreeInputDrop drop(TreeView1);
    const QString name = requireBranchName(*this);
    requireFreeName(*this, name, nullptr);
    const auto undo = recordUndo(infobase::UndoCommand::AddBranch, name);
    commitNewBranch(*this, TreeNodes.Add(TreeNodes.Selected(), name), nullptr);
    Edit_Mame_Vetok->clear();
}

void TForm_Glavn::SpeedButton_vvod_podvetkiClick() {
    const TreeInputDrop drop(TreeView1);
    infobase::TTreeNode* parent = TreeNodes.Selected();
    if (parent == nullptr) {
        showMessage(QStringLiteral("Вы не выбрали в какой ветке делаем подветку!"));
        return;
    }
    const QString name = requireBranchName(*this);
    requireFreeName(*this, name, nullptr);
    const bool hadChildren = parent->HasChildren();
    const auto undo = recordUndo(infobase::UndoCommand::AddSubBranch, name);
    commitNewBranch(*this, TreeNodes.AddChild(parent, name), parent, hadChildren);
    Edit_Mame_Vetok->clear();
}

void TForm_Glavn::SpeedButton_DeleteClick() {
    const TreeInputDrop drop(TreeView1);
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
    const auto undo = recordUndo(infobase::UndoCommand::Delete, node->Text());
    SpeedButton_Delete->setText(QStringLiteral("Подождите....."));
    PaintPendingWork();
    // A record is shared while another branch still carries its name (trees made before
    // names had to differ): it then stays for that branch. The last branch of a name takes
    // every record of the name with it.
    const QString name = node->Text();
    const bool lastOfName = !infobase::nameTakenByOther(TreeNodes, name, node);
    Query_Glav.CheckBrowseMode();
    commitLeafDeletion(node, [this, lastOfName, &name] {
        if (lastOfName) {
            Query_Glav.DeleteEveryRecordOf(name);
        }
    });
    PaintPendingWork();
    Image1->repaint();
    PaintPendingWork();
    SpeedButton_Delete->setText(QStringLiteral(" Удалить ветку/ подветку"));
    Edit_Mame_Vetok->clear();
}

void TForm_Glavn::SpeedButton3Click() {
    const TreeInputDrop drop(TreeView1);
    const QString name = requireBranchName(*this);
    // The rename stores the description field, which belongs to the branch last shown.
    infobase::TTreeNode* node = requireShownSelection(*this, nodeOf(shownBranch_));
    requireFreeName(*this, name, node);
    const QString oldName = node->Text();
    const auto undo = recordUndo(infobase::UndoCommand::Rename, oldName);
    // A record shared with another branch of the old name stays that branch's.
    const bool ownRecord =
        !infobase::nameTakenByOther(TreeNodes, oldName, node) && Query_Glav.LocateOwn(oldName);
    const QString description = descriptionFieldText(*this);
    TreeNodes.setText(node, name);
    try {
        commitTreeChange([&] {
            if (ownRecord) {
                Query_Glav.Edit();
                setField(Query_Glav, "Dat", platform::todayShortDate());
                setField(Query_Glav, "Imya_vetok", name);
                setField(Query_Glav, "Opisanie", description);
                Query_Glav.Post();
            }
        });
    } catch (...) {
        TreeNodes.setText(node, oldName);
        throw;
    }
    Edit_Mame_Vetok->clear();
}

void TForm_Glavn::SpeedButton_zam_opisanie_podvetkiClick() {
    const TreeInputDrop drop(TreeView1);
    const QString description = descriptionFieldText(*this);
    if (description.isEmpty()) {
        showMessage(QStringLiteral("Поле описание пусто!"));
        throw SilentAbort();
    }
    // Only into the own record of the branch the description field was filled from.
    infobase::TTreeNode* shown = nodeOf(shownBranch_);
    if (shown == nullptr) {
        showMessage(QStringLiteral("Вы не выбрали ветку!"));
        return;
    }
    if (shown != TreeNodes.Selected()) {
        showMessage(kShowBranchFirst);
        return;
    }
    const auto undo = recordUndo(infobase::UndoCommand::Description, shown->Text());
    bool edited = false;
    bool editing = false;
    try {
        if (!Query_Glav.LocateOwn(shown->Text())) {
            showMessage(QStringLiteral("У этой ветки нет своей записи в базе!"));
            return;
        }
        Query_Glav.Edit();
        editing = true;
        setField(Query_Glav, "Dat", platform::todayShortDate());
        setField(Query_Glav, "Opisanie", description);
        Query_Glav.Post();
        edited = true;
    } catch (...) {
        // A refused change is this command's own: it is dropped, never posted later.
        if (editing) {
            Query_Glav.Cancel();
        }
    }
    showMessage(edited ? QStringLiteral("Отредактировано!")
                       : QStringLiteral("Не удалось отредактировать!"));
}
