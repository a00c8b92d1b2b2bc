#pragma once

#include "infobase/tree/TreeNodes.h"

#include <QAbstractItemModel>

// Shows an information tree in a tree view: one column, a node's text as its label, and
// an expand button wherever the node's HasChildren flag is set (also without children) or
// the node has children.
// It follows every change of the tree through the tree's observer. Labels cannot be
// edited in place: a branch is joined to its record by its text.
class TreeModelAdapter : public QAbstractItemModel, private infobase::TreeNodesObserver {
    Q_OBJECT
public:
    explicit TreeModelAdapter(infobase::TTreeNodes& tree, QObject* parent = nullptr);
    ~TreeModelAdapter() override;

    infobase::TTreeNode* nodeAt(const QModelIndex& index) const;
    QModelIndex indexOf(infobase::TTreeNode* node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void nodeAboutToBeInserted(infobase::TTreeNode* parent, int row) override;
    void nodeInserted() override;
    void nodeAboutToBeRemoved(infobase::TTreeNode* parent, int row) override;
    void nodeRemoved() override;
    void nodeChanged(infobase::TTreeNode* node) override;
    void treeAboutToBeReset() override;
    void treeReset() override;

    infobase::TTreeNodes& tree_;
};
