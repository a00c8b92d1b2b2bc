#include "infobase/tree/BranchMoves.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace infobase {

namespace {

std::vector<TTreeNode*> childrenOf(const TTreeNodes& tree, const TTreeNode* parent) {
    const int count = parent ? parent->Count() : tree.TopCount();
    std::vector<TTreeNode*> children;
    children.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        children.push_back(parent ? parent->Item(i) : tree.TopItem(i));
    }
    return children;
}

} // namespace

void ShapeChange::undo(TTreeNodes& tree) const {
    if (moved_ == nullptr) {
        tree.Reorder(sortedParent_, oldOrder_);
        return;
    }
    tree.Move(moved_, oldParent_, oldIndex_);
    if (oldParent_) {
        tree.setHasChildren(oldParent_, oldParentFlag_);
    }
    if (newParent_) {
        tree.setHasChildren(newParent_, newParentFlag_);
    }
}

std::optional<ShapeChange> moveBranch(TTreeNodes& tree, TTreeNode* node, TTreeNode* newParent,
                                      int index) {
    ShapeChange change;
    change.moved_ = node;
    change.oldParent_ = node->Parent();
    change.oldIndex_ = node->Index();
    change.oldParentFlag_ = change.oldParent_ && change.oldParent_->HasChildren();
    change.newParent_ = newParent;
    change.newParentFlag_ = newParent && newParent->HasChildren();
    if (!tree.Move(node, newParent, index)) {
        return std::nullopt;
    }
    return change;
}

std::optional<ShapeChange> stepBranch(TTreeNodes& tree, TTreeNode* node, BranchStep step) {
    TTreeNode* parent = node->Parent();
    const int index = node->Index();
    const int siblings = parent ? parent->Count() : tree.TopCount();
    switch (step) {
    case BranchStep::Up:
        return index > 0 ? moveBranch(tree, node, parent, index - 1) : std::nullopt;
    case BranchStep::Down:
        return index + 1 < siblings ? moveBranch(tree, node, parent, index + 1) : std::nullopt;
    case BranchStep::Out:
        return parent ? moveBranch(tree, node, parent->Parent(), parent->Index() + 1)
                      : std::nullopt;
    case BranchStep::In:
        if (index == 0) {
            return std::nullopt;
        }
        TTreeNode* above = parent ? parent->Item(index - 1) : tree.TopItem(index - 1);
        return moveBranch(tree, node, above, above->Count());
    }
    return std::nullopt;
}

std::optional<ShapeChange> sortChildrenByName(TTreeNodes& tree, TTreeNode* parent,
                                              SortDirection direction) {
    std::vector<TTreeNode*> order = childrenOf(tree, parent);
    QCollator collator(QLocale(QLocale::Russian, QLocale::Russia));
    collator.setNumericMode(true);
    const int sign = direction == SortDirection::Ascending ? 1 : -1;
    const auto before = [&collator, sign](const TTreeNode* a, const TTreeNode* b) {
        return sign * collator.compare(a->Text(), b->Text()) < 0;
    };
    if (std::is_sorted(order.begin(), order.end(), before)) {
        return std::nullopt;
    }
    ShapeChange change;
    change.sortedParent_ = parent;
    change.oldOrder_ = order;
    std::stable_sort(order.begin(), order.end(), before);
    tree.Reorder(parent, order);
    return change;
}

} // namespace infobase
