#pragma once

#include <QMenu>

// A menu that shows its items' keys without English words: the arrow keys as arrows
// ("Ctrl+↑"), which a Russian reader takes in at a glance; other keys as the toolkit names
// them. The items' accessible names stay their captions alone.
class KeyHintMenu : public QMenu {
    Q_OBJECT
public:
    explicit KeyHintMenu(QWidget* parent = nullptr) : QMenu(parent) {}

    // The text shown for a key: "Ctrl+→" for Ctrl+Right.
    static QString keyHint(const QKeySequence& keys);

protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;
};
