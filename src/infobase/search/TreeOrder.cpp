#include "infobase/search/TreeOrder.h"

#include "infobase/search/ByteFinder.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/tree/TreeNodes.h"

namespace infobase::search {

TreeOrder::TreeOrder(const TTreeNodes& tree, const RecordCorpus& records) {
    nodes_.reserve(tree.Count());
    ownRecords_.reserve(tree.Count());
    nameStarts_.reserve(tree.Count() + 1);
    // In the tree's order, without recursion, so that any depth is safe.
    for (TTreeNode* node = tree.getFirstNode(); node; node = node->GetNext()) {
        nodes_.push_back(node);
        ownRecords_.push_back(records.ownRecordOf(node->Text()));
        nameStarts_.push_back(folded_.size());
        appendFoldedUtf8(QStringView(node->Text()), folded_);
        folded_.append('\0');
    }
    nameStarts_.push_back(folded_.size());
}

void TreeOrder::matchNames(const ByteFinder& query, std::vector<char>& found) const {
    const int count = size();
    found.assign(count, 0);
    if (query.isEmpty()) {
        return;
    }
    const char* block = folded_.constData();
    const char* end = block + folded_.size();
    int index = 0;
    while (index < count) {
        const char* hit = query.find(block + nameStarts_[index], end);
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

std::size_t TreeOrder::memoryBytes() const {
    return nodes_.capacity() * sizeof(TTreeNode*) + ownRecords_.capacity() * sizeof(int) +
           folded_.capacity() + nameStarts_.capacity() * sizeof(qsizetype);
}

} // namespace infobase::search
