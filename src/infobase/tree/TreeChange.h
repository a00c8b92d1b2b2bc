#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

namespace infobase {

class TTreeNode;
class TTreeNodes;

// A node as the tree file keeps it, with its depth below the first node of a run.
struct NodeFields {
    int depth = 0;
    QString text;
    qint32 imageIndex = 0;
    qint32 selectedIndex = 0;
    qint32 stateIndex = -1;
    qint32 overlayIndex = -1;
    qint32 expandedImageIndex = 0;
    qint32 data = 0;
    bool enabled = true;
    bool hasChildren = false;

    friend bool operator==(const NodeFields&, const NodeFields&) = default;
};

// One small change of the tree's shape or texts, with nodes named by their positions from the
// top of the tree (a path), so that it can be kept apart from the nodes and carried out again
// on an equal tree. A change never touches a node's expand button except by SetFlag: carried
// out in order, a run of changes gives exactly the tree it was taken from.
struct TreeChange {
    enum Kind {
        Insert,  // `nodes` (a sub-tree in pre-order, the first at depth 0) placed at `path`
        Delete,  // the node at `path` with its sub-tree
        Rename,  // the node at `path` gets `text`
        SetFlag, // the node at `path` gets HasChildren `flag`
        Move,    // the node at `path` goes under the node at `to` (empty: the top level) as its
                 // child `index`, counted without the node; both paths as before the move
        Reorder, // the children of the node at `path` (empty: the top level): the child now at
                 // order[i] becomes child i
    };
    Kind kind = Insert;
    std::vector<int> path;
    std::vector<int> to;
    int index = 0;
    QString text;
    bool flag = false;
    std::vector<int> order;
    std::vector<NodeFields> nodes;

    friend bool operator==(const TreeChange&, const TreeChange&) = default;
};

// The changes, made whole.
TreeChange insertChange(std::vector<int> path, std::vector<NodeFields> nodes);
TreeChange deleteChange(std::vector<int> path);
TreeChange renameChange(std::vector<int> path, QString text);
TreeChange flagChange(std::vector<int> path, bool flag);
TreeChange moveChange(std::vector<int> path, std::vector<int> to, int index);
TreeChange reorderChange(std::vector<int> path, std::vector<int> order);

// Told of every change made to a tree outside a bulk update, as the change and the change
// that takes it back, each valid on the tree as it is just before it.
class TreeChangeRecorder {
public:
    virtual ~TreeChangeRecorder() = default;
    virtual void treeChanged(TreeChange forward, TreeChange inverse) = 0;
};

// Keeps the changes made to a tree, in order, until they are taken.
class TreeChangeList : public TreeChangeRecorder {
public:
    void treeChanged(TreeChange forward, TreeChange inverse) override;
    const std::vector<TreeChange>& changes() const { return changes_; }
    void clear() { changes_.clear(); }

private:
    std::vector<TreeChange> changes_;
};

// The path from the top of the tree to the node, as positions among siblings (empty for
// nullptr, the top level).
std::vector<int> positionsOf(const TTreeNode* node);
// The node at the path (nullptr for an empty path); throws Failure when there is none.
TTreeNode* nodeAtPositions(const TTreeNodes& items, const std::vector<int>& path);
// The node with its sub-tree, in pre-order, without recursion.
std::vector<NodeFields> subtreeFields(const TTreeNode* node);

// Carries out the change on the tree. Throws Failure, changing nothing, when the change does
// not fit the tree (a path that leads nowhere, an order of another length).
void applyTreeChange(TTreeNodes& items, const TreeChange& change);

} // namespace infobase
