#include "infobase/tree/TreeNodes.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

namespace infobase {

TTreeNode* TTreeNode::getNextSibling() const {
    const ChildList& siblings = parent_->children_;
    const int next = index_ + 1;
    return next < siblings.size() ? siblings[next] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (TTreeNode* child = getFirstChild()) {
        return child;
    }
    for (const TTreeNode* node = this; node; node = node->Parent()) {
        if (TTreeNode* sibling = node->getNextSibling()) {
            return sibling;
        }
    }
    return nullptr;
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
    if (recording()) {
        const std::vector<int> path = positionsOf(node);
        record(insertChange(path, subtreeFields(node)), deleteChange(path));
    }
    return node;
}

void TTreeNodes::Delete(TTreeNode* node) {
    if (recording()) {
        const std::vector<int> path = positionsOf(node);
        record(deleteChange(path), insertChange(path, subtreeFields(node)));
    }
    TTreeNode* parent = node->parent_;
    const int row = node->index_;
    if (notifying()) {
        observer_->nodeAboutToBeRemoved(outside(parent), row);
    }
    ChildList& siblings = parent->children_;
    siblings.erase(row);
    renumber(parent, row);
    destroySubtree(node);
    if (notifying()) {
        observer_->nodeRemoved();
    }
    if (parent != &root_ && siblings.empty()) {
        setHasChildren(parent, false);
    }
}

bool TTreeNodes::CanMoveUnder(const TTreeNode* node, const TTreeNode* newParent) {
    for (const TTreeNode* up = newParent; up; up = up->Parent()) {
        if (up == node) {
            return false;
        }
    }
    return true;
}

bool TTreeNodes::Move(TTreeNode* node, TTreeNode* newParent, int index) {
    if (!CanMoveUnder(node, newParent)) {
        return false;
    }
    TTreeNode* from = node->parent_;
    TTreeNode* to = parentOrRoot(newParent);
    const int oldRow = node->index_;
    index = std::clamp(index, 0, to->Count() - (to == from ? 1 : 0));
    if (to == from && index == oldRow) {
        return false;
    }
    TreeChange forward;
    if (recording()) {
        forward = moveChange(positionsOf(node), positionsOf(newParent), index);
    }
    if (notifying()) {
        // The views count the new place among the children as they are before the move.
        const int newRow = to == from && index > oldRow ? index + 1 : index;
        observer_->nodeAboutToBeMoved(outside(from), oldRow, outside(to), newRow);
    }
    from->children_.erase(oldRow);
    to->children_.insert(index, node);
    node->parent_ = to;
    renumber(from, oldRow);
    renumber(to, to == from ? std::min(oldRow, index) : index);
    if (notifying()) {
        observer_->nodeMoved();
    }
    if (recording()) {
        record(std::move(forward),
               moveChange(positionsOf(node), positionsOf(outside(from)), oldRow));
    }
    if (from != &root_ && from->children_.empty()) {
        setHasChildren(from, false);
    }
    if (to != &root_) {
        setHasChildren(to, true);
    }
    return true;
}

void TTreeNodes::Reorder(TTreeNode* parent, const std::vector<TTreeNode*>& order) {
    TTreeNode* above = parentOrRoot(parent);
    Q_ASSERT(int(order.size()) == above->Count());
    if (recording()) {
        std::vector<int> forward(order.size());
        std::vector<int> inverse(order.size());
        for (int i = 0; i < int(order.size()); ++i) {
            forward[i] = order[i]->index_;
            inverse[order[i]->index_] = i;
        }
        const std::vector<int> path = positionsOf(parent);
        record(reorderChange(path, std::move(forward)), reorderChange(path, std::move(inverse)));
    }
    if (notifying()) {
        observer_->childrenAboutToBeReordered(parent);
    }
    for (int i = 0; i < int(order.size()); ++i) {
        Q_ASSERT(order[i]->parent_ == above);
        above->children_.set(i, order[i]);
        order[i]->index_ = i;
    }
    if (notifying()) {
        observer_->childrenReordered(parent);
    }
}

void TTreeNodes::renumber(TTreeNode* parent, int from) {
    ChildList& children = parent->children_;
    for (int i = from; i < children.size(); ++i) {
        children[i]->index_ = i;
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
    nameCounts_.reset();
    countsComing_ = {}; // waits for a count still running: it counted the nodes just gone
    changesMeanwhile_.clear();
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
        if (nameCounts_ || countsComing_.valid()) {
            countName(next->text_, -1);
        }
        next->~TTreeNode();
        new (next) TTreeNode;
        released_.push_back(next);
        --count_;
    }
}

void TTreeNodes::setText(TTreeNode* node, const QString& text) {
    if (recording()) {
        const std::vector<int> path = positionsOf(node);
        record(renameChange(path, text), renameChange(path, node->text_));
    }
    if (nameCounts_ || countsComing_.valid()) {
        countName(node->text_, -1);
        countName(text, 1);
    }
    node->text_ = text;
    if (notifying()) {
        observer_->nodeChanged(node);
    }
}

void TTreeNodes::setHasChildren(TTreeNode* node, bool hasChildren) {
    if (node->hasChildren_ == hasChildren) {
        return;
    }
    if (recording()) {
        const std::vector<int> path = positionsOf(node);
        record(flagChange(path, hasChildren), flagChange(path, !hasChildren));
    }
    node->hasChildren_ = hasChildren;
    if (notifying()) {
        observer_->nodeChanged(node);
    }
}

namespace {

std::unique_ptr<QHash<QString, int>> countTexts(const std::vector<QString>& texts) {
    auto counts = std::make_unique<QHash<QString, int>>();
    counts->reserve(qsizetype(texts.size()));
    for (const QString& text : texts) {
        ++(*counts)[text];
    }
    return counts;
}

} // namespace

std::vector<QString> TTreeNodes::liveTexts() const {
    std::vector<QString> texts;
    texts.reserve(size_t(count_));
    for (size_t b = 0; b < blocks_.size(); ++b) {
        const int used = b + 1 == blocks_.size() ? usedInLastBlock_ : kBlockSize;
        for (int i = 0; i < used; ++i) {
            const auto* node = std::launder(reinterpret_cast<const TTreeNode*>(&blocks_[b][i]));
            if (node->parent_ != nullptr) { // a deleted node's place has none
                texts.push_back(node->text_);
            }
        }
    }
    return texts;
}

void TTreeNodes::prepareNameCounts() {
    if (nameCounts_ || countsComing_.valid()) {
        return;
    }
    try {
        // The copies share the nodes' strings; the other thread reads only them.
        countsComing_ =
            std::async(std::launch::async, [texts = liveTexts()] { return countTexts(texts); });
    } catch (const std::system_error&) {
        // No thread to be had: the first NameCount counts.
    }
}

int TTreeNodes::NameCount(const QString& text) const {
    if (!nameCounts_) {
        if (countsComing_.valid()) {
            nameCounts_ = countsComing_.get();
            const std::vector<std::pair<QString, int>> changes = std::move(changesMeanwhile_);
            changesMeanwhile_.clear();
            for (const auto& [changed, change] : changes) {
                countName(changed, change);
            }
        } else {
            nameCounts_ = countTexts(liveTexts());
        }
    }
    return nameCounts_->value(text);
}

void TTreeNodes::countName(const QString& text, int change) const {
    if (!nameCounts_) {
        changesMeanwhile_.emplace_back(text, change);
        return;
    }
    const auto found = nameCounts_->find(text);
    if (found == nameCounts_->end()) {
        nameCounts_->insert(text, change);
    } else if ((found.value() += change) == 0) {
        nameCounts_->erase(found);
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

void TTreeNodes::addRecorder(TreeChangeRecorder* recorder) {
    if (std::find(recorders_.begin(), recorders_.end(), recorder) == recorders_.end()) {
        recorders_.push_back(recorder);
    }
}

void TTreeNodes::removeRecorder(TreeChangeRecorder* recorder) {
    std::erase(recorders_, recorder);
}

void TTreeNodes::record(TreeChange forward, TreeChange inverse) const {
    for (std::size_t i = 0; i + 1 < recorders_.size(); ++i) {
        recorders_[i]->treeChanged(forward, inverse);
    }
    recorders_.back()->treeChanged(std::move(forward), std::move(inverse));
}

} // namespace infobase
