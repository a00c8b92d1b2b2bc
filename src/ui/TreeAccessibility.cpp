#include "ui/TreeAccessibility.h"

#include "ui/TreeModelAdapter.h"

#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QTimer>
#include <QTreeView>

namespace {

// The item's row among the rows the tree shows, counted as the reader's table counts it.
int visualRow(const QTreeView& tree, const QModelIndex& index) {
    int row = 0;
    for (QModelIndex at = tree.model()->index(0, 0); at.isValid(); at = tree.indexBelow(at)) {
        if (at == index) {
            return row;
        }
        ++row;
    }
    return -1;
}

// The reader's object for one item of the tree, or nullptr while the item is not shown.
QAccessibleInterface* itemInterface(QTreeView& tree, const QModelIndex& index) {
    if (!index.isValid()) {
        return nullptr;
    }
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&tree);
    QAccessibleTableInterface* table = view ? view->tableInterface() : nullptr;
    const int row = visualRow(tree, index);
    return table && row >= 0 ? table->cellAt(row, 0) : nullptr;
}

} // namespace

TreeAccessibility::TreeAccessibility(QTreeView* tree, TreeModelAdapter* model)
    : QObject(tree), tree_(tree) {
    model->setAccessibleDescriber(
        [tree](const QModelIndex& index) { return describe(*tree, index); });
    tree->installEventFilter(this);
    connect(tree, &QTreeView::expanded, this, &TreeAccessibility::announceExpansion);
    connect(tree, &QTreeView::collapsed, this, &TreeAccessibility::announceExpansion);
    // A move takes the branch out and puts it in again; the reader hears it once the view
    // has taken in the new shape.
    const auto moved = [this] {
        if (!announcePending_) {
            announcePending_ = true;
            QTimer::singleShot(0, this, &TreeAccessibility::announceCurrent);
        }
    };
    connect(model, &QAbstractItemModel::rowsMoved, this, moved);
    // Only the keyboard's own ways into the tree select a branch: a click selects what it
    // hits, and a window coming back, the connect, or a control that went away (the connect
    // button hands the focus on as Tab would) leave the selection as it is, as for the mouse.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* before, QWidget* now) {
        const bool byKeys = focusReason_ == Qt::TabFocusReason ||
                            focusReason_ == Qt::BacktabFocusReason ||
                            focusReason_ == Qt::ShortcutFocusReason;
        if (now == tree_ && byKeys && before != nullptr && before->isVisible()) {
            selectOneBranch();
        }
    });
    connect(model, &QAbstractItemModel::layoutChanged, this, moved);
}

QString TreeAccessibility::describe(const QTreeView& tree, const QModelIndex& index) {
    const QAbstractItemModel* model = tree.model();
    int level = 1;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
        ++level;
    }
    QString text = QStringLiteral("Уровень %1, %2 из %3")
                       .arg(level)
                       .arg(index.row() + 1)
                       .arg(model->rowCount(index.parent()));
    const int children = model->rowCount(index);
    if (children == 0) {
        return text + QStringLiteral(", без подветок");
    }
    return text + QStringLiteral(", подветок: %1, %2")
                      .arg(children)
                      .arg(tree.isExpanded(index) ? QStringLiteral("раскрыта")
                                                  : QStringLiteral("свёрнута"));
}

bool TreeAccessibility::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        focusReason_ = static_cast<QFocusEvent*>(event)->reason();
        // After the tree's own focus event, so that the reader hears the tree, then the branch.
        QTimer::singleShot(0, this, [this] {
            if (tree_->hasFocus()) {
                announce({QAccessible::Focus}, tree_->currentIndex());
            }
        });
    }
    return false;
}

void TreeAccessibility::selectOneBranch() {
    if (!tree_->selectionModel()->selectedRows().isEmpty() || tree_->model()->rowCount() == 0) {
        return;
    }
    const QModelIndex current = tree_->currentIndex();
    tree_->setCurrentIndex(current.isValid() ? current : tree_->model()->index(0, 0));
}

void TreeAccessibility::announceExpansion(const QModelIndex& index) {
    announce({QAccessible::StateChanged, QAccessible::DescriptionChanged}, index);
}

void TreeAccessibility::announceCurrent() {
    announcePending_ = false;
    if (tree_->hasFocus()) {
        announce({QAccessible::DescriptionChanged, QAccessible::Focus}, tree_->currentIndex());
    } else {
        announce({QAccessible::DescriptionChanged}, tree_->currentIndex());
    }
}

// The item is looked up once for all the events: finding it walks the rows the tree shows.
void TreeAccessibility::announce(std::initializer_list<QAccessible::Event> events,
                                 const QModelIndex& index) {
    QAccessibleInterface* item = itemInterface(*tree_, index);
    if (item == nullptr) {
        return;
    }
    for (const QAccessible::Event what : events) {
        if (what == QAccessible::StateChanged) {
            QAccessible::State changed;
            changed.expanded = true;
            changed.collapsed = true;
            QAccessibleStateChangeEvent event(item, changed);
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessibleEvent event(item, what);
            QAccessible::updateAccessibility(&event);
        }
        Q_EMIT announced(what, index);
    }
}
