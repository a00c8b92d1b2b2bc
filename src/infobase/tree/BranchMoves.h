#pragma once

#include "infobase/tree/TreeNodes.h"

#include <optional>
#include <vector>

namespace infobase {

// The moves that reorganise the tree without a mouse: one step of a branch among its
// siblings or between levels. Each takes the branch with all its sub-branches.
enum class BranchStep {
    Up,   // in front of the sibling above it
    Down, // behind the sibling below it
    Out,  // right behind its parent, at the parent's level
    In,   // the last child of the sibling above it
};

// The way a sort runs: from "А" to "Я" and from small numbers to large, or the reverse.
enum class SortDirection { Ascending, Descending };

// What a move or a sort changed in the tree's shape, kept so that the change can be taken
// back when the tree file could not be written: the moved node's old place and the
// HasChildren flags of both its parents, or the sorted children's old order.
class ShapeChange {
public:
    // Puts the tree back exactly as it was before the change.
    void undo(TTreeNodes& tree) const;
    // Whether the change reordered children (a sort) rather than moved one branch, and the
    // node whose children it reordered (nullptr: the top level) or the node it moved.
    bool reorders() const { return !oldOrder_.empty(); }
    TTreeNode* changed() const { return reorders() ? sortedParent_ : moved_; }

private:
    friend std::optional<ShapeChange> moveBranch(TTreeNodes&, TTreeNode*, TTreeNode*, int);
    friend std::optional<ShapeChange> sortChildrenByName(TTreeNodes&, TTreeNode*, SortDirection);
    ShapeChange() = default;

    TTreeNode* moved_ = nullptr;
    TTreeNode* oldParent_ = nullptr;
    int oldIndex_ = 0;
    bool oldParentFlag_ = false;
    TTreeNode* newParent_ = nullptr;
    bool newParentFlag_ = false;
    TTreeNode* sortedParent_ = nullptr;
    std::vector<TTreeNode*> oldOrder_;
};

// Moves the node as TTreeNodes::Move does; std::nullopt when nothing moved.
std::optional<ShapeChange> moveBranch(TTreeNodes& tree, TTreeNode* node, TTreeNode* newParent,
                                      int index);

// Moves the node one step; std::nullopt, changing nothing, when the step is not possible: up
// from the first sibling, down from the last, out from the top level, in from the first
// sibling (no sibling above to go into).
std::optional<ShapeChange> stepBranch(TTreeNodes& tree, TTreeNode* node, BranchStep step);

// Orders the parent's children (nullptr: the top level) by their texts in the order a
// Russian reader expects: runs of digits as the numbers they write ("Заметка 2" before
// "Заметка 10"), the rest by the Russian collation ("ё" beside "е", capitals beside small
// letters); descending, the same order reversed. Equal texts keep their order. std::nullopt
// when they were in that order already.
std::optional<ShapeChange> sortChildrenByName(TTreeNodes& tree, TTreeNode* parent,
                                              SortDirection direction);

} // namespace infobase
