#pragma once

#include <QAccessible>
#include <QObject>
#include <initializer_list>

class QTreeView;
class QModelIndex;
class TreeModelAdapter;

// What a screen reader hears from the branch tree. The toolkit reads a tree's items as
// table cells: a name and an expanded state, but no level and no place among the
// neighbours. Each item is therefore described ("Уровень 2, 3 из 5, подветок: 4,
// раскрыта"), and the reader is told when an item opens or closes and when the current
// branch moves. Whenever Tab brings the focus into a tree that has branches, one of them is
// selected and announced, so that the arrows start from a branch the user has heard.
class TreeAccessibility : public QObject {
    Q_OBJECT
public:
    TreeAccessibility(QTreeView* tree, TreeModelAdapter* model);

    // The description of one branch, as the reader gets it.
    static QString describe(const QTreeView& tree, const QModelIndex& index);

Q_SIGNALS:
    // What the reader was just told about an item (as the reader's bus gets it).
    void announced(QAccessible::Event what, const QModelIndex& item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Tells the reader that the item's expanded state and description changed.
    void announceExpansion(const QModelIndex& index);
    // Reads the current branch again: its description changed (it moved) and, with the focus
    // in the tree, it is the focused item once more.
    void announceCurrent();
    void selectOneBranch();
    void announce(std::initializer_list<QAccessible::Event> events, const QModelIndex& index);

    QTreeView* tree_;
    bool announcePending_ = false;
    Qt::FocusReason focusReason_ = Qt::OtherFocusReason;
};
