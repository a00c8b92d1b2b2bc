#include "ui/TreeModelAdapter.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

using infobase::TTreeNode;

namespace {

const QString kBranchMime = QStringLiteral("application/x-quorlent-branch");

// The branch's rows from the top level down.
QList<int> pathOf(const TTreeNode* node) {
    QList<int> rows;
    for (; node; node = node->Parent()) {
        rows.prepend(node->Index());
    }
    return rows;
}

} // namespace

TreeModelAdapter::TreeModelAdapter(infobase::TTreeNodes& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
    tree_.setObserver(this);
}

TreeModelAdapter::~TreeModelAdapter() {
    tree_.setObserver(nullptr);
}

TTreeNode* TreeModelAdapter::nodeAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TreeModelAdapter::indexOf(TTreeNode* node) const {
    return node ? createIndex(node->Index(), 0, node) : QModelIndex();
}

QModelIndex TreeModelAdapter::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || row >= rowCount(parent)) {
        return {};
    }
    const TTreeNode* above = nodeAt(parent);
    return createIndex(row, 0, above ? above->Item(row) : tree_.TopItem(row));
}

QModelIndex TreeModelAdapter::parent(const QModelIndex& child) const {
    const TTreeNode* node = nodeAt(child);
    return node ? indexOf(node->Parent()) : QModelIndex();
}

int TreeModelAdapter::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    const TTreeNode* node = nodeAt(parent);
    return node ? node->Count() : tree_.TopCount();
}

int TreeModelAdapter::columnCount(const QModelIndex&) const {
    return 1;
}

bool TreeModelAdapter::hasChildren(const QModelIndex& parent) const {
    // The flag gives a childless node its expand button. A node with rows always reports
    // them, as views expect: the tree sets the flag only after a child went in, and a
    // cleared flag must not make children unreachable.
    const TTreeNode* node = nodeAt(parent);
    return node ? node->HasChildren() || node->Count() > 0 : tree_.TopCount() > 0;
}

QVariant TreeModelAdapter::data(const QModelIndex& index, int role) const {
    const TTreeNode* node = nodeAt(index);
    if (node == nullptr) {
        return {};
    }
    if (role == Qt::AccessibleDescriptionRole && describer_) {
        return describer_(index);
    }
    return role == Qt::DisplayRole ? QVariant(node->Text()) : QVariant();
}

Qt::ItemFlags TreeModelAdapter::flags(const QModelIndex& index) const {
    // The empty space takes drops too: the branch becomes the last top-level one.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
                                 Qt::ItemIsDropEnabled
                           : Qt::ItemIsDropEnabled;
}

QStringList TreeModelAdapter::mimeTypes() const {
    return {kBranchMime};
}

QMimeData* TreeModelAdapter::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty() || nodeAt(indexes.first()) == nullptr) {
        return nullptr;
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << QCoreApplication::applicationPid() << quintptr(this) << pathOf(nodeAt(indexes.first()));
    auto* data = new QMimeData;
    data->setData(kBranchMime, bytes);
    return data;
}

TTreeNode* TreeModelAdapter::droppable(const QMimeData* data, Qt::DropAction action,
                                       const QModelIndex& parent) const {
    if (data == nullptr || action != Qt::MoveAction || !data->hasFormat(kBranchMime)) {
        return nullptr;
    }
    QDataStream in(data->data(kBranchMime));
    qint64 process = 0;
    quintptr model = 0;
    QList<int> rows;
    in >> process >> model >> rows;
    if (in.status() != QDataStream::Ok || process != QCoreApplication::applicationPid() ||
        model != quintptr(this) || rows.isEmpty()) {
        return nullptr;
    }
    TTreeNode* node = nullptr;
    for (const int row : rows) {
        const int count = node ? node->Count() : tree_.TopCount();
        if (row < 0 || row >= count) {
            return nullptr;
        }
        node = node ? node->Item(row) : tree_.TopItem(row);
    }
    return infobase::TTreeNodes::CanMoveUnder(node, nodeAt(parent)) ? node : nullptr;
}

bool TreeModelAdapter::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                       const QModelIndex& parent) const {
    return droppable(data, action, parent) != nullptr;
}

bool TreeModelAdapter::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                    const QModelIndex& parent) {
    TTreeNode* node = droppable(data, action, parent);
    if (node == nullptr) {
        return false;
    }
    // The view gives the row among the children as they are before the move, or −1 for a
    // drop onto the parent itself: the last child.
    TTreeNode* newParent = nodeAt(parent);
    int index = row < 0 ? rowCount(parent) : row;
    if (row >= 0 && node->Parent() == newParent && row > node->Index()) {
        --index;
    }
    Q_EMIT branchDropped(node, newParent, index);
    // The branch has moved, or stayed where it was: either way the view must not treat the
    // drop as taken, since after a taken move it removes the dragged rows itself.
    return false;
}

void TreeModelAdapter::nodeAboutToBeInserted(TTreeNode* parent, int row) {
    beginInsertRows(indexOf(parent), row, row);
}

void TreeModelAdapter::nodeInserted() {
    endInsertRows();
}

void TreeModelAdapter::nodeAboutToBeRemoved(TTreeNode* parent, int row) {
    beginRemoveRows(indexOf(parent), row, row);
}

void TreeModelAdapter::nodeRemoved() {
    endRemoveRows();
}

void TreeModelAdapter::nodeChanged(TTreeNode* node) {
    const QModelIndex changed = indexOf(node);
    Q_EMIT dataChanged(changed, changed);
}

void TreeModelAdapter::treeAboutToBeReset() {
    beginResetModel();
}

void TreeModelAdapter::treeReset() {
    endResetModel();
}

void TreeModelAdapter::nodeAboutToBeMoved(TTreeNode* oldParent, int oldRow, TTreeNode* newParent,
                                          int newRow) {
    [[maybe_unused]] const bool valid =
        beginMoveRows(indexOf(oldParent), oldRow, oldRow, indexOf(newParent), newRow);
    Q_ASSERT(valid);
}

void TreeModelAdapter::nodeMoved() {
    endMoveRows();
}

QList<QPersistentModelIndex> TreeModelAdapter::reorderedParents(TTreeNode* parent) const {
    // An empty list stands for the whole model, which the top level's order is.
    return parent ? QList<QPersistentModelIndex>{indexOf(parent)} : QList<QPersistentModelIndex>{};
}

void TreeModelAdapter::childrenAboutToBeReordered(TTreeNode* parent) {
    Q_EMIT layoutAboutToBeChanged(reorderedParents(parent), VerticalSortHint);
}

void TreeModelAdapter::childrenReordered(TTreeNode* parent) {
    // An index names its node, so that every index kept by a view (the selection, the
    // expanded branches) follows its node to the node's new row.
    const QModelIndexList kept = persistentIndexList();
    for (const QModelIndex& index : kept) {
        TTreeNode* node = nodeAt(index);
        if (node && node->Parent() == parent && node->Index() != index.row()) {
            changePersistentIndex(index, indexOf(node));
        }
    }
    Q_EMIT layoutChanged(reorderedParents(parent), VerticalSortHint);
}
