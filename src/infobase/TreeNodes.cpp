#include "infobase/TreeNodes.h"

#include <new>
#include <utility>

namespace infobase {

TTreeNode* TTreeNode::getNextSibling() const {
    const auto& siblings = parent_->children_;
    const auto next = static_cast<size_t>(index_) + 1;
    return next < siblings.size() ? siblings[next] : nullptr;
}

int TTreeNode::Level() const {
    int level = 0;
    for (const TTreeNode* p = Parent(); p; p = p->Parent()) {
        ++level;
    }
    return level;
}

TTreeNodes::TTreeNodes() = default;

// The blocks free every node, without recursion: a node does not own its children.
TTreeNodes::~TTreeNodes() = default;

TTreeNode* TTreeNodes::allocate() {
    if (!released_.empty()) {
        TTreeNode* node = released_.back();
        released_.pop_back();
        return node;
    }
    if (usedInLastBlock_ == kBlockSize) {
        blocks_.emplace_back(new TTreeNode[kBlockSize]);
        usedInLastBlock_ = 0;
    }
    return &blocks_.back()[usedInLastBlock_++];
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, QString text) {
    return append(sibling ? sibling->parent_ : &root_, std::move(text));
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, QString text) {
    TTreeNode* node = append(parentOrRoot(parent), std::move(text));
    if (parent) {
        setHasChildren(parent, true);
    }
    return node;
}

TTreeNode* TTreeNodes::append(TTreeNode* parent, QString text) {
    const int row = parent->Count();
    if (notifying()) {
        observer_->nodeAboutToBeInserted(outside(parent), row);
    }
    TTreeNode* node = allocate();
    node->text_ = std::move(text);
    node->parent_ = parent;
    node->index_ = row;
    parent->children_.push_back(node);
    ++count_;
    if (notifying()) {
        observer_->nodeInserted();
    }
    return node;
}

void TTreeNodes::Delete(TTreeNode* node) {
    TTreeNode* parent = node->parent_;
    const int row = node->index_;
    if (notifying()) {
        observer_->nodeAboutToBeRemoved(outside(parent), row);
    }
    auto& siblings = parent->children_;
    siblings.erase(siblings.begin() + row);
    for (size_t i = static_cast<size_t>(row); i < siblings.size(); ++i) {
        siblings[i]->index_ = static_cast<int>(i);
    }
    destroySubtree(node);
    if (notifying()) {
        observer_->nodeRemoved();
    }
    if (parent != &root_ && siblings.empty()) {
        setHasChildren(parent, false);
    }
}

void TTreeNodes::Clear() {
    BeginUpdate();
    root_.children_.clear();
    blocks_.clear();
    released_.clear();
    usedInLastBlock_ = kBlockSize;
    count_ = 0;
    selected_ = nullptr;
    EndUpdate();
}

void TTreeNodes::destroySubtree(TTreeNode* node) {
    std::vector<TTreeNode*> pending{node};
    while (!pending.empty()) {
        TTreeNode* next = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), next->children_.begin(), next->children_.end());
        if (next == selected_) {
            selected_ = nullptr;
        }
        next->~TTreeNode();
        new (next) TTreeNode;
        released_.push_back(next);
        --count_;
    }
}

void TTreeNodes::setText(TTreeNode* node, const QString& text) {
    node->text_ = text;
    if (notifying()) {
        observer_->nodeChanged(node);
    }
}

void TTreeNodes::setHasChildren(TTreeNode* node, bool hasChildren) {
    if (node->hasChildren_ == hasChildren) {
        return;
    }
    node->hasChildren_ = hasChildren;
    if (notifying()) {
        observer_->nodeChanged(node);
    }
}

void TTreeNodes::BeginUpdate() {
    if (updateDepth_++ == 0 && observer_) {
        observer_->treeAboutToBeReset();
    }
}

void TTreeNodes::EndUpdate() {
    if (--updateDepth_ == 0 && observer_) {
        observer_->treeReset();
    }
}

void TTreeNodes::reserveChildren(TTreeNode* parent, int count) {
    auto& children = parentOrRoot(parent)->children_;
    children.reserve(children.size() + static_cast<size_t>(count));
}

} // namespace infobase
