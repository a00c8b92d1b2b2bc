#include "infobase/search/TreeOrder.h"

#include "infobase/search/ByteFinder.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/tree/TreeNodes.h"

#include <algorithm>

namespace infobase::search {

TreeOrder::TreeOrder(const TTreeNodes& tree, const RecordCorpus& records) {
    nodes_.reserve(tree.Count());
    ownRecords_.reserve(tree.Count());
    nameStarts_.reserve(tree.Count() + 1);
    // In the tree's order, without recursion, so that any depth is safe.
    for (TTreeNode* node = tree.getFirstNode(); node; node = node->GetNext()) {
        nodes_.push_back(node);
        const int own = records.ownRecordOf(node->Text());
        ownRecords_.push_back(own);
        nameStarts_.push_back(folded_.size());
        // Most branches are named as their own record, whose name the corpus holds folded
        // already: folding every name again would cost the most of a rebuild.
        if (own >= 0 && records.name(own) == node->Text()) {
            folded_.append(records.foldedName(own));
        } else {
            appendFoldedUtf8(QStringView(node->Text()), folded_);
        }
        folded_.append('\0');
    }
    nameStarts_.push_back(folded_.size());
}

std::pair<int, int> TreeOrder::subtree(const TTreeNode* root) const {
    const auto at = std::find(nodes_.begin(), nodes_.end(), root);
    if (at == nodes_.end()) {
        return {0, 0};
    }
    // The first node after the sub-tree: the next sibling of the root or of its nearest
    // parent that has one.
    const TTreeNode* after = nullptr;
    for (const TTreeNode* up = root; up && !after; up = up->Parent()) {
        after = up->getNextSibling();
    }
    const auto end = after ? std::find(at + 1, nodes_.end(), after) : nodes_.end();
    return {int(at - nodes_.begin()), int(end - nodes_.begin())};
}

void TreeOrder::matchNames(const ByteFinder& query, int begin, int end,
                           std::vector<char>& found) const {
    found.assign(size(), 0);
    if (query.isEmpty() || begin >= end) {
        return;
    }
    const char* block = folded_.constData();
    // Names past the range are not looked at.
    const char* blockEnd = block + nameStarts_[end];
    int index = begin;
    while (index < end) {
        const char* hit = query.find(block + nameStarts_[index], blockEnd);
        if (!hit) {
            return;
        }
        const qsizetype at = hit - block;
        while (nameStarts_[index + 1] <= at) {
            ++index;
        }
        found[index] = 1;
        ++index;
    }
}

void TreeOrder::matchNames(const ByteFinder& query, const std::vector<int>& among,
                           std::vector<char>& found) const {
    found.assign(size(), 0);
    if (query.isEmpty()) {
        return;
    }
    const char* block = folded_.constData();
    for (const int index : among) {
        found[index] =
            query.find(block + nameStarts_[index], block + nameStarts_[index + 1]) != nullptr;
    }
}

std::size_t TreeOrder::memoryBytes() const {
    return nodes_.capacity() * sizeof(TTreeNode*) + ownRecords_.capacity() * sizeof(int) +
           folded_.capacity() + nameStarts_.capacity() * sizeof(qsizetype);
}

} // namespace infobase::search
