#pragma once

#include "infobase/tree/TreeNodes.h"

#include <QAbstractItemModel>
#include <functional>

// Shows an information tree in a tree view: one column, a node's text as its label, and
// an expand button wherever the node's HasChildren flag is set (also without children) or
// the node has children.
// It follows every change of the tree through the tree's observer. Labels cannot be
// edited in place: a branch is joined to its record by its text.
// A branch can be dragged within the view that shows this model: onto a branch (it becomes
// the last child), between branches, or onto the empty space (the last top-level branch).
// The model does not move it itself; it asks through branchDropped, so that whoever owns
// the tree also keeps the tree file. A drag carries the model's identity and the branch's
// path; it cannot be dropped into another model, another copy of the program or into the
// branch's own sub-tree.
class TreeModelAdapter : public QAbstractItemModel, private infobase::TreeNodesObserver {
    Q_OBJECT
public:
    explicit TreeModelAdapter(infobase::TTreeNodes& tree, QObject* parent = nullptr);
    ~TreeModelAdapter() override;

    infobase::TTreeNode* nodeAt(const QModelIndex& index) const;
    QModelIndex indexOf(infobase::TTreeNode* node) const;
    // Gives each item the description a screen reader reads after its name (the view knows
    // what the model does not: whether the item is open).
    void setAccessibleDescriber(std::function<QString(const QModelIndex&)> describer) {
        describer_ = std::move(describer);
    }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

Q_SIGNALS:
    // A dragged branch was dropped: it is to become the child at `index` of the new parent
    // (nullptr: the top level), counted as TTreeNodes::Move counts.
    void branchDropped(infobase::TTreeNode* node, infobase::TTreeNode* newParent, int index);

private:
    void nodeAboutToBeInserted(infobase::TTreeNode* parent, int row) override;
    void nodeInserted() override;
    void nodeAboutToBeRemoved(infobase::TTreeNode* parent, int row) override;
    void nodeRemoved() override;
    void nodeChanged(infobase::TTreeNode* node) override;
    void treeAboutToBeReset() override;
    void treeReset() override;
    void nodeAboutToBeMoved(infobase::TTreeNode* oldParent, int oldRow,
                            infobase::TTreeNode* newParent, int newRow) override;
    void nodeMoved() override;
    void childrenAboutToBeReordered(infobase::TTreeNode* parent) override;
    void childrenReordered(infobase::TTreeNode* parent) override;

    // The dragged branch, when the data is a drag of this model's and the move is allowed.
    infobase::TTreeNode* droppable(const QMimeData* data, Qt::DropAction action,
                                   const QModelIndex& parent) const;
    QList<QPersistentModelIndex> reorderedParents(infobase::TTreeNode* parent) const;

    infobase::TTreeNodes& tree_;
    std::function<QString(const QModelIndex&)> describer_;
};
