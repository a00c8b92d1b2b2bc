#include "ui/TreeModelAdapter.h"

using infobase::TTreeNode;

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
    if (node == nullptr || role != Qt::DisplayRole) {
        return {};
    }
    return node->Text();
}

Qt::ItemFlags TreeModelAdapter::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
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
