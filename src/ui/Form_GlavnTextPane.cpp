// The text pane's commands: show it for writing, save its text into the own record of the
// branch whose text it holds, copy, paste and change the font.
#include "infobase/store/BranchText.h"
#include "ui/FocusReturn.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/TextFontDialog.h"
#include "ui/TreeInputDrop.h"
#include "ui/TreeModelAdapter.h"

#include <QAction>
#include <QClipboard>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>

void TForm_Glavn::createTextPaneCommands() {
    FontDialog = new TextFontDialog(this);
    FontDialog->setObjectName(QStringLiteral("FontDialog"));
    // Tahoma bold 14 pt: the pane's 19 px at 96 dpi (the font dialog speaks points).
    FontDialog->setCurrentFont(QFont(QStringLiteral("Tahoma"), 14, QFont::Bold));

    RichEdit->setAccessibleName(QStringLiteral("Текст ветки"));
    RichEdit->setLineWrapMode(QTextEdit::WidgetWidth);

    connect(SpeedButton1, &QToolButton::clicked, this, &TForm_Glavn::SpeedButton1Click);
    connect(N5, &QAction::triggered, this, &TForm_Glavn::N5Click);
    connect(N7, &QAction::triggered, this, &TForm_Glavn::N7Click);
    connect(N8, &QAction::triggered, this, &TForm_Glavn::N8Click);
    connect(N10, &QAction::triggered, this, &TForm_Glavn::N10Click);
}

void TForm_Glavn::showPaneText(const QString& text) {
    // The caret's format, with a font the user chose for a piece of the earlier text, would
    // carry over to the whole new text: the text starts in the pane's own font instead.
    RichEdit->setCurrentCharFormat(QTextCharFormat());
    RichEdit->setPlainText(text);
}

void TForm_Glavn::SpeedButton1Click() {
    RichEdit->clear();
    showPaneText(QStringLiteral("Ваш текст... (для сохранения кликните правую клавишу мышки)."));
    Image1->hide();
    RichEdit->show();
    // The text written here is the selected branch's.
    infobase::TTreeNode* selected = TreeNodes.Selected();
    paneBranch_ =
        selected ? QPersistentModelIndex(TreeModel->indexOf(selected)) : QPersistentModelIndex();
    nameShownPanes();
}

void TForm_Glavn::N5Click() {
    const TreeInputDrop drop(TreeView1);
    // The text goes only into the own record of the branch whose text the pane holds.
    infobase::TTreeNode* owner = nodeOf(paneBranch_);
    if (owner == nullptr) {
        showMessage(QStringLiteral("Вы не выбрали ветку!"));
        return;
    }
    const auto undo = recordUndo(infobase::UndoCommand::TextSave, owner->Text());
    bool editing = false;
    try {
        if (!Query_Glav.LocateOwn(owner->Text())) {
            showMessage(QStringLiteral("У этой ветки нет своей записи в базе!"));
            return;
        }
        Query_Glav.Edit();
        editing = true;
        Query_Glav.FieldByName(QStringLiteral("Texty"))
            .SetAsString(infobase::textyFromPaneText(RichEdit->document()->toRawText()));
        Query_Glav.Post();
        showMessage(QStringLiteral("Сохранено."));
    } catch (...) {
        // The record keeps its earlier text; the refused change is dropped, never posted later.
        if (editing) {
            Query_Glav.Cancel();
        }
        showMessage(QStringLiteral("Не удалось сохранить."));
    }
}

void TForm_Glavn::N7Click() {
    // Paragraph and line separators become line breaks; non-breaking spaces stay.
    QString selected = RichEdit->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    QGuiApplication::clipboard()->setText(selected);
}

void TForm_Glavn::N8Click() {
    const QMimeData* content = QGuiApplication::clipboard()->mimeData();
    if (content != nullptr && content->hasText()) {
        RichEdit->insertPlainText(content->text());
    }
}

void TForm_Glavn::N10Click() {
    const FocusReturn focusBack(RichEdit);
    if (FontDialog->exec() == QDialog::Accepted) {
        QTextCharFormat format;
        format.setFont(FontDialog->currentFont());
        format.setForeground(FontDialog->currentColor());
        // The selection, or the caret for the text typed next.
        RichEdit->mergeCurrentCharFormat(format);
    }
    RichEdit->viewport()->update();
}
