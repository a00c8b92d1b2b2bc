#include "infobase/tree/TreeChange.h"

#include "common/Failure.h"
#include "infobase/tree/TreeNodes.h"

#include <algorithm>

namespace infobase {
namespace {

[[noreturn]] void doesNotFit() {
    throw Failure(QStringLiteral("Изменение дерева не подходит к дереву."));
}

int childCount(const TTreeNodes& items, const TTreeNode* parent) {
    return parent ? parent->Count() : items.TopCount();
}

NodeFields fieldsOf(const TTreeNode* node, int depth) {
    NodeFields fields;
    fields.depth = depth;
    fields.text = node->Text();
    fields.imageIndex = node->ImageIndex;
    fields.selectedIndex = node->SelectedIndex;
    fields.stateIndex = node->StateIndex;
    fields.overlayIndex = node->OverlayIndex;
    fields.expandedImageIndex = node->ExpandedImageIndex;
    fields.data = node->Data;
    fields.enabled = node->Enabled;
    fields.hasChildren = node->HasChildren();
    return fields;
}

void giveFields(TTreeNode* node, const NodeFields& fields) {
    node->ImageIndex = fields.imageIndex;
    node->SelectedIndex = fields.selectedIndex;
    node->StateIndex = fields.stateIndex;
    node->OverlayIndex = fields.overlayIndex;
    node->ExpandedImageIndex = fields.expandedImageIndex;
    node->Data = fields.data;
    node->Enabled = fields.enabled;
}

bool flagOf(const TTreeNode* node) {
    return node != nullptr && node->HasChildren();
}

void restoreFlag(TTreeNodes& items, TTreeNode* node, bool flag) {
    if (node != nullptr) {
        items.setHasChildren(node, flag);
    }
}

void insertSubtree(TTreeNodes& items, const TreeChange& change) {
    const std::vector<NodeFields>& nodes = change.nodes;
    if (change.path.empty() || nodes.empty() || nodes.front().depth != 0) {
        doesNotFit();
    }
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        if (nodes[i].depth < 1 || nodes[i].depth > nodes[i - 1].depth + 1) {
            doesNotFit();
        }
    }
    TTreeNode* parent =
        nodeAtPositions(items, std::vector<int>(change.path.begin(), change.path.end() - 1));
    const int index = change.path.back();
    const int count = childCount(items, parent);
    if (index < 0 || index > count) {
        doesNotFit();
    }
    const bool parentFlag = flagOf(parent);
    std::vector<TTreeNode*> made;
    std::vector<TTreeNode*> atDepth;
    made.reserve(nodes.size());
    for (const NodeFields& fields : nodes) {
        atDepth.resize(fields.depth);
        TTreeNode* node = items.AddChild(fields.depth == 0 ? parent : atDepth.back(), fields.text);
        giveFields(node, fields);
        atDepth.push_back(node);
        made.push_back(node);
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        items.setHasChildren(made[i], nodes[i].hasChildren);
    }
    if (index != count) {
        items.Move(made.front(), parent, index);
    }
    restoreFlag(items, parent, parentFlag);
}

void moveNode(TTreeNodes& items, const TreeChange& change) {
    TTreeNode* node = nodeAtPositions(items, change.path);
    TTreeNode* to = nodeAtPositions(items, change.to);
    if (node == nullptr || !TTreeNodes::CanMoveUnder(node, to)) {
        doesNotFit();
    }
    TTreeNode* from = node->Parent();
    const int room = childCount(items, to) - (from == to ? 1 : 0);
    if (change.index < 0 || change.index > room) {
        doesNotFit();
    }
    const bool fromFlag = flagOf(from);
    const bool toFlag = flagOf(to);
    items.Move(node, to, change.index);
    restoreFlag(items, from, fromFlag);
    restoreFlag(items, to, toFlag);
}

void reorderChildren(TTreeNodes& items, const TreeChange& change) {
    TTreeNode* parent = nodeAtPositions(items, change.path);
    const int count = childCount(items, parent);
    if (int(change.order.size()) != count) {
        doesNotFit();
    }
    std::vector<bool> seen(count, false);
    std::vector<TTreeNode*> order;
    order.reserve(count);
    for (const int from : change.order) {
        if (from < 0 || from >= count || seen[from]) {
            doesNotFit();
        }
        seen[from] = true;
        order.push_back(parent ? parent->Item(from) : items.TopItem(from));
    }
    items.Reorder(parent, order);
}

TreeChange changeOf(TreeChange::Kind kind, std::vector<int> path) {
    TreeChange change;
    change.kind = kind;
    change.path = std::move(path);
    return change;
}

} // namespace

TreeChange insertChange(std::vector<int> path, std::vector<NodeFields> nodes) {
    TreeChange change = changeOf(TreeChange::Insert, std::move(path));
    change.nodes = std::move(nodes);
    return change;
}

TreeChange deleteChange(std::vector<int> path) {
    return changeOf(TreeChange::Delete, std::move(path));
}

TreeChange renameChange(std::vector<int> path, QString text) {
    TreeChange change = changeOf(TreeChange::Rename, std::move(path));
    change.text = std::move(text);
    return change;
}

TreeChange flagChange(std::vector<int> path, bool flag) {
    TreeChange change = changeOf(TreeChange::SetFlag, std::move(path));
    change.flag = flag;
    return change;
}

TreeChange moveChange(std::vector<int> path, std::vector<int> to, int index) {
    TreeChange change = changeOf(TreeChange::Move, std::move(path));
    change.to = std::move(to);
    change.index = index;
    return change;
}

TreeChange reorderChange(std::vector<int> path, std::vector<int> order) {
    TreeChange change = changeOf(TreeChange::Reorder, std::move(path));
    change.order = std::move(order);
    return change;
}

std::vector<int> positionsOf(const TTreeNode* node) {
    std::vector<int> path;
    for (; node != nullptr; node = node->Parent()) {
        path.push_back(node->Index());
    }
    std::reverse(path.begin(), path.end());
    return path;
}

TTreeNode* nodeAtPositions(const TTreeNodes& items, const std::vector<int>& path) {
    TTreeNode* node = nullptr;
    for (const int position : path) {
        if (position < 0 || position >= childCount(items, node)) {
            doesNotFit();
        }
        node = node == nullptr ? items.TopItem(position) : node->Item(position);
    }
    return node;
}

std::vector<NodeFields> subtreeFields(const TTreeNode* node) {
    std::vector<NodeFields> fields;
    std::vector<std::pair<const TTreeNode*, int>> pending{{node, 0}};
    while (!pending.empty()) {
        const auto [next, depth] = pending.back();
        pending.pop_back();
        fields.push_back(fieldsOf(next, depth));
        for (int i = next->Count() - 1; i >= 0; --i) {
            pending.emplace_back(next->Item(i), depth + 1);
        }
    }
    return fields;
}

void applyTreeChange(TTreeNodes& items, const TreeChange& change) {
    switch (change.kind) {
    case TreeChange::Insert:
        insertSubtree(items, change);
        return;
    case TreeChange::Delete: {
        TTreeNode* node = nodeAtPositions(items, change.path);
        if (node == nullptr) {
            doesNotFit();
        }
        TTreeNode* parent = node->Parent();
        const bool parentFlag = flagOf(parent);
        items.Delete(node);
        restoreFlag(items, parent, parentFlag);
        return;
    }
    case TreeChange::Rename:
    case TreeChange::SetFlag: {
        TTreeNode* node = nodeAtPositions(items, change.path);
        if (node == nullptr) {
            doesNotFit();
        }
        if (change.kind == TreeChange::Rename) {
            items.setText(node, change.text);
        } else {
            items.setHasChildren(node, change.flag);
        }
        return;
    }
    case TreeChange::Move:
        moveNode(items, change);
        return;
    case TreeChange::Reorder:
        reorderChildren(items, change);
        return;
    }
}

void TreeChangeList::treeChanged(TreeChange forward, TreeChange /*inverse*/) {
    changes_.push_back(std::move(forward));
}

} // namespace infobase
