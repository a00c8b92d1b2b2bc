#include "infobase/tree/TreeNodes.h"

#include <algorithm>
#include <new>
#include <utility>

namespace infobase {

TTreeNode* TTreeNode::getNextSibling() const {
    const ChildList& siblings = parent_->children_;
    const int next = index_ + 1;
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

// Every node is destroyed in its block, without recursion: a node does not own its children.
TTreeNodes::~TTreeNodes() {
    destroyAllNodes();
}

void TTreeNodes::destroyAllNodes() {
    for (size_t b = 0; b < blocks_.size(); ++b) {
        const int used = b + 1 == blocks_.size() ? usedInLastBlock_ : kBlockSize;
        for (int i = 0; i < used; ++i) {
            std::launder(reinterpret_cast<TTreeNode*>(&blocks_[b][i]))->~TTreeNode();
        }
    }
    blocks_.clear();
    usedInLastBlock_ = kBlockSize;
}

// A deleted node's place, or the first place of a new block.
TTreeNode* TTreeNodes::allocateElsewhere() {
    if (!released_.empty()) {
        TTreeNode* node = released_.back();
        released_.pop_back();
        return node;
    }
    if (usedInLastBlock_ == kBlockSize) {
        blocks_.emplace_back(new NodePlace[kBlockSize]);
        usedInLastBlock_ = 0;
    }
    return new (&blocks_.back()[usedInLastBlock_++]) TTreeNode;
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
    TTreeNode* node = link(parent, std::move(text));
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
    ChildList& siblings = parent->children_;
    siblings.erase(row);
    for (int i = row; i < siblings.size(); ++i) {
        siblings[i]->index_ = i;
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
    destroyAllNodes();
    released_.clear();
    slabs_.clear();
    slabNext_ = nullptr;
    slabFree_ = 0;
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
    ChildList& children = parentOrRoot(parent)->children_;
    if (children.empty() && count > 0) {
        children.lend(lendChildRun(count), count);
    } else {
        children.reserve(children.size() + count);
    }
}

TTreeNode** TTreeNodes::lendChildRun(int count) {
    if (slabFree_ < count) {
        const int size = std::max(count, kSlabSize);
        slabs_.emplace_back(new TTreeNode*[size_t(size)]);
        slabNext_ = slabs_.back().get();
        slabFree_ = size;
    }
    TTreeNode** run = slabNext_;
    slabNext_ += count;
    slabFree_ -= count;
    return run;
}

} // namespace infobase
