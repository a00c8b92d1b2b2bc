#include "ui/KeyHintMenu.h"

#include <QStyleOptionMenuItem>
#include <gtest/gtest.h>

namespace {

TEST(KeyHintMenu, ArrowKeysShowAsArrowsOtherKeysAsTheToolkitNamesThem) {
    const std::pair<QKeySequence, QString> cases[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Up), QStringLiteral("Ctrl+↑")},
        {QKeySequence(Qt::CTRL | Qt::Key_Down), QStringLiteral("Ctrl+↓")},
        {QKeySequence(Qt::CTRL | Qt::Key_Left), QStringLiteral("Ctrl+←")},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right), QStringLiteral("Ctrl+Shift+→")},
        {QKeySequence(Qt::Key_Up), QStringLiteral("↑")},
        {QKeySequence(Qt::SHIFT | Qt::Key_F10), QStringLiteral("Shift+F10")},
        {QKeySequence(), QString()},
    };
    for (const auto& [keys, shown] : cases) {
        EXPECT_EQ(KeyHintMenu::keyHint(keys), shown) << keys.toString().toStdString();
    }
}

class ProbedMenu : public KeyHintMenu {
public:
    using KeyHintMenu::initStyleOption;
};

// The hint replaces only what the menu draws; the caption (the item's accessible name)
// stays as it is.
TEST(KeyHintMenu, TheItemIsDrawnWithTheHintAndKeepsItsCaption) {
    ProbedMenu menu;
    QAction* item = menu.addAction(QStringLiteral("На уровень ниже"));
    item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right));
    item->setShortcutVisibleInContextMenu(true);
    QAction* plain = menu.addAction(QStringLiteral("Упорядочить"));
    QStyleOptionMenuItem option;
    menu.initStyleOption(&option, item);
    EXPECT_EQ(option.text, QStringLiteral("На уровень ниже\tCtrl+→"));
    menu.initStyleOption(&option, plain);
    EXPECT_EQ(option.text, QStringLiteral("Упорядочить"));
    EXPECT_EQ(item->text(), QStringLiteral("На уровень ниже"));
}

} // namespace
