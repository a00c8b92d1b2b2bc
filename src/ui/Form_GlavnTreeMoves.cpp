// Reorganising the tree: a branch, with all its sub-branches, is dragged to a new place in
// TreeView1, or moved one step by a key or the tree's menu; the menu also orders branches
// (Form_GlavnTreeSort.cpp). A move changes only the tree's shape (a record is
// joined to its branch by the name, which stays), so it rewrites only the tree file. The
// moved branch stays selected, keeps its expanded state and is shown; the panel and the panes
// stay as they are.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/tree/TreeFile.h"
#include "ui/Form_Glavn.h"
#include "ui/KeyHintMenu.h"
#include "ui/KeyboardPopup.h"
#include "ui/TreeModelAdapter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTreeView>

namespace {

// A drag in the tree ends with the release of the button, which the platform hands to the
// tree once the drop is done. That release is not a click: it must not show the branch's
// record. The view starts a drag when the button, pressed on a branch, moves farther than
// the drag distance, so such a release is kept from the tree's click handling.
class TreeDragReleaseWatch : public QObject {
public:
    explicit TreeDragReleaseWatch(QTreeView* tree) : QObject(tree), tree_(tree) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress &&
            event->type() != QEvent::MouseButtonRelease) {
            return false;
        }
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) {
            return false;
        }
        const QPoint at = mouse->position().toPoint();
        if (event->type() == QEvent::MouseButtonPress) {
            pressedOnBranch_ = tree_->indexAt(at).isValid();
            pressedAt_ = at;
            return false;
        }
        const bool dragged =
            pressedOnBranch_ && tree_->dragEnabled() &&
            (at - pressedAt_).manhattanLength() > QApplication::startDragDistance();
        pressedOnBranch_ = false;
        return dragged;
    }

private:
    QTreeView* tree_;
    bool pressedOnBranch_ = false;
    QPoint pressedAt_;
};

QAction* treeCommand(QMenu* menu, const char* name, const QString& caption,
                     QKeySequence keys = {}) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    // The keys act only while the tree has the focus: in the fields Ctrl+arrows move the caret.
    action->setShortcutContext(Qt::WidgetShortcut);
    menu->addAction(action);
    return action;
}

} // namespace

void TForm_Glavn::createTreeMoves() {
    TreeView1->setDragEnabled(true);
    TreeView1->setAcceptDrops(true);
    TreeView1->setDropIndicatorShown(true);
    // Drops are limited to this tree by the model (a drag carries the model's identity);
    // the view's own internal-move mode would also refuse the drops a test makes.
    TreeView1->setDragDropMode(QAbstractItemView::DragDrop);
    TreeView1->setDefaultDropAction(Qt::MoveAction);
    // A collapsed branch opens when a drag rests on it, so that a branch can be put between
    // its sub-branches.
    TreeView1->setAutoExpandDelay(700);
    // Installed after the click watch, so that it sees a release first.
    TreeView1->viewport()->installEventFilter(new TreeDragReleaseWatch(TreeView1));
    connect(TreeModel.get(), &TreeModelAdapter::branchDropped, this, &TForm_Glavn::DropBranch);

    PopupMenu_Tree = new KeyHintMenu(this);
    PopupMenu_Tree->setObjectName(QStringLiteral("PopupMenu_Tree"));
    PopupMenu_Tree->setAccessibleName(QStringLiteral("Меню дерева"));
    N_vverh = treeCommand(PopupMenu_Tree, "N_vverh", QStringLiteral("Переместить вверх"),
                          QKeySequence(Qt::CTRL | Qt::Key_Up));
    N_vniz = treeCommand(PopupMenu_Tree, "N_vniz", QStringLiteral("Переместить вниз"),
                         QKeySequence(Qt::CTRL | Qt::Key_Down));
    N_uroven_vyshe =
        treeCommand(PopupMenu_Tree, "N_uroven_vyshe", QStringLiteral("На уровень выше"),
                    QKeySequence(Qt::CTRL | Qt::Key_Left));
    N_uroven_nizhe =
        treeCommand(PopupMenu_Tree, "N_uroven_nizhe", QStringLiteral("На уровень ниже"),
                    QKeySequence(Qt::CTRL | Qt::Key_Right));
    PopupMenu_Tree->addSeparator();
    N_po_alfavitu = treeCommand(PopupMenu_Tree, "N_po_alfavitu",
                                QStringLiteral("Упорядочить подветки по алфавиту"));
    N_po_alfavitu_obratno =
        treeCommand(PopupMenu_Tree, "N_po_alfavitu_obratno",
                    QStringLiteral("Упорядочить подветки по алфавиту от Я до А"));
    N_verhniy_po_alfavitu = treeCommand(PopupMenu_Tree, "N_verhniy_po_alfavitu",
                                        QStringLiteral("Упорядочить верхний уровень по алфавиту"));
    N_verhniy_obratno = treeCommand(PopupMenu_Tree, "N_verhniy_obratno",
                                    QStringLiteral("Упорядочить верхний уровень от Я до А"));
    TreeView1->addActions(PopupMenu_Tree->actions());

    connect(N_vverh, &QAction::triggered, this,
            [this] { MoveSelectedBranch(infobase::BranchStep::Up); });
    connect(N_vniz, &QAction::triggered, this,
            [this] { MoveSelectedBranch(infobase::BranchStep::Down); });
    connect(N_uroven_vyshe, &QAction::triggered, this,
            [this] { MoveSelectedBranch(infobase::BranchStep::Out); });
    connect(N_uroven_nizhe, &QAction::triggered, this,
            [this] { MoveSelectedBranch(infobase::BranchStep::In); });
    connectTreeSorts();

    // The menu opens at the pointer on a right click, and from the keyboard (the menu key,
    // Shift+F10) under the current branch.
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeView1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu_Tree->popup(TreeView1->viewport()->mapToGlobal(at)); });
    auto* openMenu = new QAction(TreeView1);
    openMenu->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
    openMenu->setShortcutContext(Qt::WidgetShortcut);
    TreeView1->addAction(openMenu);
    connect(openMenu, &QAction::triggered, this, [this] {
        const QRect current = TreeView1->visualRect(TreeView1->currentIndex());
        const QPoint at = current.isValid() ? current.bottomLeft() : QPoint(0, 0);
        popupFromKeyboard(PopupMenu_Tree, TreeView1->viewport()->mapToGlobal(at));
    });
}

void TForm_Glavn::keepShapeChange(const std::optional<infobase::ShapeChange>& change,
                                  infobase::TTreeNode* shown) {
    if (!change) {
        return;
    }
    try {
        commitTreeChange();
    } catch (const Failure&) {
        // The tree in memory stays what the tree file holds.
        change->undo(TreeNodes);
        throw;
    }
    if (shown == nullptr) {
        return;
    }
    for (infobase::TTreeNode* up = shown->Parent(); up; up = up->Parent()) {
        TreeView1->expand(TreeModel->indexOf(up));
    }
    TreeView1->scrollTo(TreeModel->indexOf(shown));
}

void TForm_Glavn::MoveSelectedBranch(infobase::BranchStep step) {
    if (infobase::TTreeNode* node = TreeNodes.Selected()) {
        // Recorded from before the change, so that the undo keeps the change itself.
        const auto undo = recordUndo(infobase::UndoCommand::Move, node->Text());
        keepShapeChange(infobase::stepBranch(TreeNodes, node, step), node);
    }
}

void TForm_Glavn::DropBranch(infobase::TTreeNode* node, infobase::TTreeNode* newParent, int index) {
    try {
        const auto undo = recordUndo(infobase::UndoCommand::Move, node->Text());
        keepShapeChange(infobase::moveBranch(TreeNodes, node, newParent, index), node);
    } catch (const Failure& failure) {
        // The drop arrives inside the drag's own event loop and the view's drop handling:
        // the failure is reported once both are through, as any command's failure is.
        QMetaObject::invokeMethod(
            this, [message = failure.message()] { throw Failure(message); }, Qt::QueuedConnection);
    }
}
