// The branch commands from the keyboard: the panel's buttons by Tab, Enter and Space, each
// command's key in the tree and the panel but not where the key edits text, Enter on a branch
// showing it, and the tree's menu opened from the keyboard on its first item.
#include "BranchWindow.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

class Keys : public ::testing::Test {
protected:
    BranchWindow program{{"Корень", "Корень/Лист", "Другой"},
                         {{"Корень", "корень"}, {"Лист", "лист"}, {"Другой", "другой"}}};
    TForm_Glavn& window = program.window();

    // Selects a branch with the arrows from the top and shows it with Enter.
    void showWithKeys(const QString& path) {
        QTreeView* tree = window.TreeView1;
        tree->setFocus();
        tree->setCurrentIndex(window.TreeModel->indexOf(program.node(path)));
        QTest::keyClick(tree, Qt::Key_Return);
        QTest::qWait(20);
    }
    void key(QWidget* target, Qt::Key pressed, Qt::KeyboardModifiers modifiers = {}) {
        target->setFocus();
        QTest::keyClick(target, pressed, modifiers);
        QTest::qWait(20);
    }
};

TEST_F(Keys, EnterShowsTheBranchSoThatRenameAndDescriptionWork) {
    // Chosen with the arrows but not shown: refused, and the message says how to show it.
    window.TreeView1->setFocus();
    window.TreeView1->setCurrentIndex(window.TreeModel->indexOf(program.node("Другой")));
    window.Edit_Mame_Vetok->setText("Третий");
    key(window.TreeView1, Qt::Key_F2);
    EXPECT_EQ(
        program.messages(),
        QStringList{"Сначала щёлкните эту ветку.\rС клавиатуры: выберите её и нажмите Enter."});
    EXPECT_EQ(program.recordNames(), (QStringList{"Корень", "Лист", "Другой"}));

    showWithKeys("Другой");
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Другой");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "другой");
    window.Edit_Mame_Vetok->setText("Третий");
    key(window.Edit_Mame_Vetok, Qt::Key_F2); // from the field it was typed into
    EXPECT_EQ(program.treeFileNodes(), (QStringList{"Корень", "Корень/Лист", "Третий"}))
        << program.messages().join("|").toStdString();
    EXPECT_EQ(program.column("Третий", "Opisanie"), "другой");

    showWithKeys("Корень/Лист");
    window.Memo_opisanie->setPlainText("новое");
    key(window.Memo_opisanie, Qt::Key_F4);
    EXPECT_EQ(program.messages().last(), "Отредактировано!");
    EXPECT_EQ(program.column("Лист", "Opisanie"), "новое");
}

TEST_F(Keys, EachCommandHasItsKeyInTheTreeAndThePanel) {
    const struct {
        QToolButton* button;
        QString key;
    } keys[] = {
        {window.SpeedButton_vvod_vetki, "Ins"}, {window.SpeedButton_vvod_podvetki, "Alt+Ins"},
        {window.SpeedButton_File, "Ctrl+O"},    {window.SpeedButton4, "Ctrl+Shift+O"},
        {window.SpeedButton1, "Ctrl+T"},        {window.SpeedButton_zam_opisanie_podvetki, "F4"},
        {window.SpeedButton_Delete, "Del"},     {window.SpeedButton3, "F2"},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key.toStdString());
        EXPECT_EQ(k.button->focusPolicy(), Qt::TabFocus) << "Tab reaches it, a click does not";
        EXPECT_TRUE(k.button->toolTip().endsWith(" (" + k.key + ")"));
        EXPECT_EQ(k.button->accessibleDescription(), "Клавиша " + k.key);
        const QKeySequence sequence(k.key);
        // The buttons are counted, not run: their commands have tests of their own.
        QObject::disconnect(k.button, &QToolButton::clicked, nullptr, nullptr);
        int pressed = 0;
        QObject::connect(k.button, &QToolButton::clicked, [&pressed] { ++pressed; });
        for (QWidget* where : {static_cast<QWidget*>(window.TreeView1),
                               static_cast<QWidget*>(window.SpeedButton_vvod_vetki)}) {
            key(where, Qt::Key(sequence[0].key()), sequence[0].keyboardModifiers());
        }
        EXPECT_EQ(pressed, 2);
        // Enter and Space on the button itself.
        key(k.button, Qt::Key_Return);
        key(k.button, Qt::Key_Space);
        EXPECT_EQ(pressed, 4);
    }
}

TEST_F(Keys, KeysThatEditTextStayTheFields) {
    showWithKeys("Другой");
    window.Edit_Mame_Vetok->setFocus();
    window.Edit_Mame_Vetok->setCursorPosition(0);
    key(window.Edit_Mame_Vetok, Qt::Key_Delete);
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "ругой");
    window.Memo_opisanie->setPlainText("abc");
    key(window.Memo_opisanie, Qt::Key_Delete);
    EXPECT_EQ(program.treeFileNodes(), (QStringList{"Корень", "Корень/Лист", "Другой"}))
        << "no branch was deleted";
    // Insert edits no text: a name typed in the field is added from there.
    window.Edit_Mame_Vetok->setText("Новая");
    key(window.Edit_Mame_Vetok, Qt::Key_Insert);
    EXPECT_EQ(program.treeFileNodes(), (QStringList{"Корень", "Корень/Лист", "Другой", "Новая"}));

    // With the panel hidden its keys do nothing.
    window.SkrytClick();
    window.Edit_Mame_Vetok->setText("Ещё");
    key(window.TreeView1, Qt::Key_Insert);
    EXPECT_EQ(program.treeFileNodes().size(), 4);
}

TEST_F(Keys, TheTreeMenuOpensFromTheKeyboardOnItsFirstItem) {
    showWithKeys("Другой");
    key(window.TreeView1, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::activePopupWidget(), window.PopupMenu_Tree);
    EXPECT_EQ(window.PopupMenu_Tree->activeAction(), window.N_vverh);
    QTest::keyClick(window.PopupMenu_Tree, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_EQ(program.treeFileNodes(), (QStringList{"Другой", "Корень", "Корень/Лист"}));
}

} // namespace
