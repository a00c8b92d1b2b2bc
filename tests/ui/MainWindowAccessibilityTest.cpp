// What assistive technology reads from the windows: every control a user reaches has a role
// and a Russian name, and the panes' menus open from the keyboard as from the mouse.
#include "ui/Form_Glavn.h"
#include "ui/Form_ob_prilojenii.h"
#include "ui/Form_zastavka.h"
#include "ui/PictureView.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

TEST(MainWindowAccessibility, EachControlHasItsRoleAndRussianName) {
    TForm_Glavn window;
    TForm_zastavka splash(&window);
    TForm_ob_prilojenii about(&window);
    const struct {
        QObject* object;
        QAccessible::Role role;
        QString name;
    } cases[] = {
        {window.TreeView1, QAccessible::Tree, QStringLiteral("Дерево веток")},
        {window.Edit_Mame_Vetok, QAccessible::EditableText,
         QStringLiteral("Названия веток или подветок:")},
        {window.Memo_opisanie, QAccessible::EditableText,
         QStringLiteral("Описание (при необходимости):")},
        {window.RichEdit, QAccessible::EditableText, QStringLiteral("Текст ветки")},
        {window.Image1, QAccessible::Graphic, QStringLiteral("Картинка ветки")},
        {window.ProgressBar1, QAccessible::ProgressBar, QStringLiteral("Ход копирования")},
        {window.PopupMenu_Text, QAccessible::PopupMenu, QStringLiteral("Меню текста")},
        {window.PopupMenu_Image, QAccessible::PopupMenu, QStringLiteral("Меню картинки")},
        {&splash, QAccessible::Dialog, QStringLiteral("Заставка")},
        {splash.Image1, QAccessible::Graphic, QStringLiteral("Картинка заставки")},
        {about.Memo1, QAccessible::EditableText, QStringLiteral("О приложении")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.object->objectName().toStdString());
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(c.object);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->role(), c.role);
        EXPECT_EQ(read->text(QAccessible::Name), c.name);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window.PopupMenu_Text)->childCount(), 7)
        << "the menu's items are read as its children";
}

TEST(MainWindowAccessibility, ThePanesMenusOpenFromTheKeyboard) {
    TForm_Glavn window;
    const struct {
        QWidget* pane;
        QMenu* menu;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } cases[] = {
        {window.RichEdit, window.PopupMenu_Text, Qt::Key_Menu, Qt::NoModifier},
        {window.RichEdit, window.PopupMenu_Text, Qt::Key_F10, Qt::ShiftModifier},
        {window.Image1, window.PopupMenu_Image, Qt::Key_Menu, Qt::NoModifier},
        {window.Image1, window.PopupMenu_Image, Qt::Key_F10, Qt::ShiftModifier},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.menu->objectName().toStdString() + " " + std::to_string(c.key));
        EXPECT_NE(c.pane->focusPolicy() & Qt::TabFocus, 0) << "the pane is reached by Tab";
        QTest::keyClick(c.pane, Qt::Key_F10); // F10 alone opens nothing
        EXPECT_FALSE(c.menu->isVisible());
        QTest::keyClick(c.pane, c.key, c.modifiers);
        EXPECT_TRUE(c.menu->isVisible());
        c.menu->hide();
    }
}

} // namespace
