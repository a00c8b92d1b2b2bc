#include "ui/KeyHintMenu.h"

#include <QStyleOptionMenuItem>

QString KeyHintMenu::keyHint(const QKeySequence& keys) {
    if (keys.isEmpty()) {
        return {};
    }
    const QKeyCombination combination = keys[0];
    QString arrow;
    switch (combination.key()) {
    case Qt::Key_Up:
        arrow = QStringLiteral("↑");
        break;
    case Qt::Key_Down:
        arrow = QStringLiteral("↓");
        break;
    case Qt::Key_Left:
        arrow = QStringLiteral("←");
        break;
    case Qt::Key_Right:
        arrow = QStringLiteral("→");
        break;
    default:
        return keys.toString(QKeySequence::NativeText);
    }
    const QString modifiers = QKeySequence(combination.keyboardModifiers() | Qt::Key_A)
                                  .toString(QKeySequence::NativeText)
                                  .chopped(1);
    return modifiers + arrow;
}

void KeyHintMenu::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const {
    QMenu::initStyleOption(option, action);
    const QString key = keyHint(action->shortcut());
    const qsizetype tab = option->text.indexOf(u'\t');
    if (!key.isEmpty() && tab >= 0) {
        option->text = option->text.left(tab + 1) + key;
    }
}
