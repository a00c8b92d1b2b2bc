#include "infobase/search/TreeOrder.h"

#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/tree/TreeNodes.h"

#include <algorithm>
#include <cstring>

namespace infobase::search {

TreeOrder::TreeOrder(const TTreeNodes& tree, const RecordCorpus& records) {
    nodes_.reserve(tree.Count());
    ownRecords_.reserve(tree.Count());
    nameStarts_.reserve(tree.Count() + 1);
    // Without recursion, so that any depth is safe: the next node is the first child, else
    // the next sibling of the node or of its nearest ancestor that has one.
    for (TTreeNode* node = tree.getFirstNode(); node;) {
        nodes_.push_back(node);
        ownRecords_.push_back(records.ownRecordOf(node->Text()));
        nameStarts_.push_back(folded_.size());
        appendFoldedUtf8(QStringView(node->Text()), folded_);
        folded_.append('\0');
        if (TTreeNode* child = node->getFirstChild()) {
            node = child;
            continue;
        }
        while (node && !node->getNextSibling()) {
            node = node->Parent();
        }
        node = node ? node->getNextSibling() : nullptr;
    }
    nameStarts_.push_back(folded_.size());
}

void TreeOrder::matchNames(QByteArrayView foldedQuery, std::vector<bool>& found) const {
    found.assign(nodes_.size(), false);
    if (foldedQuery.isEmpty()) {
        return;
    }
    const char* block = folded_.constData();
    const qsizetype end = folded_.size();
    qsizetype from = 0;
    while (from < end) {
        const void* hit = memmem(block + from, end - from, foldedQuery.data(), foldedQuery.size());
        if (!hit) {
            break;
        }
        const qsizetype at = static_cast<const char*>(hit) - block;
        const auto index =
            std::upper_bound(nameStarts_.begin(), nameStarts_.end(), at) - nameStarts_.begin() - 1;
        found[index] = true;
        from = nameStarts_[index + 1];
    }
}

std::size_t TreeOrder::memoryBytes() const {
    return nodes_.capacity() * sizeof(TTreeNode*) + ownRecords_.capacity() * sizeof(int) +
           folded_.capacity() + nameStarts_.capacity() * sizeof(qsizetype);
}

} // namespace infobase::search
