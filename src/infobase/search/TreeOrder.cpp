#include "infobase/search/TreeOrder.h"

#include "infobase/search/ByteFinder.h"
#include "infobase/search/InParallel.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/store/NameIndex.h"
#include "infobase/tree/TreeNodes.h"

#include <QSet>
#include <algorithm>

namespace infobase::search {

TreeOrder::TreeOrder(const TTreeNodes& tree, const RecordCorpus& records) {
    nodes_.reserve(tree.Count());
    ownRecords_.reserve(tree.Count());
    nameStarts_.reserve(tree.Count() + 1);
    // In the tree's order, without recursion, so that any depth is safe.
    for (TTreeNode* node = tree.getFirstNode(); node; node = node->GetNext()) {
        append(node, records, nodes_, ownRecords_, folded_, nameStarts_);
    }
    nameStarts_.push_back(folded_.size());
}

void TreeOrder::append(TTreeNode* node, const RecordCorpus& records, std::vector<TTreeNode*>& nodes,
                       std::vector<int>& owns, QByteArray& folded,
                       std::vector<qsizetype>& starts) const {
    const int own = records.ownRecordOf(node->Text());
    nodes.push_back(node);
    owns.push_back(own);
    starts.push_back(folded.size());
    // Most branches are named as their own record, whose name the corpus holds folded
    // already: folding every name again would cost the most of a rebuild.
    if (own >= 0 && records.name(own) == node->Text()) {
        folded.append(records.foldedName(own));
    } else {
        appendFoldedUtf8(QStringView(node->Text()), folded);
    }
    folded.append('\0');
}

int TreeOrder::placeOf(const TTreeNode* node) const {
    constexpr int kNear = 4096;
    const int from = std::clamp(lastPlace_ - kNear, 0, size());
    const int to = std::clamp(lastPlace_ + kNear, 0, size());
    auto found = std::find(nodes_.begin() + from, nodes_.begin() + to, node);
    if (found == nodes_.begin() + to) {
        found = std::find(nodes_.begin(), nodes_.end(), node);
    }
    const int place = int(found - nodes_.begin());
    if (place < size()) {
        lastPlace_ = place;
    }
    return place;
}

int TreeOrder::placeAfter(const TTreeNode* root) const {
    const TTreeNode* after = nullptr;
    for (const TTreeNode* up = root; up && !after; up = up->Parent()) {
        after = up->getNextSibling();
    }
    return after ? placeOf(after) : size();
}

std::pair<int, int> TreeOrder::subtree(const TTreeNode* root) const {
    const int at = placeOf(root);
    if (at == size()) {
        return {0, 0};
    }
    return {at, std::max(at + 1, placeAfter(root))};
}

std::pair<int, int> TreeOrder::removeBranch(const TTreeNode* root) {
    const auto [begin, end] = subtree(root);
    if (begin == end) {
        return {begin, end};
    }
    const qsizetype from = nameStarts_[begin];
    const qsizetype length = nameStarts_[end] - from;
    folded_.remove(from, length);
    nodes_.erase(nodes_.begin() + begin, nodes_.begin() + end);
    ownRecords_.erase(ownRecords_.begin() + begin, ownRecords_.begin() + end);
    nameStarts_.erase(nameStarts_.begin() + begin, nameStarts_.begin() + end);
    for (auto later = nameStarts_.begin() + begin; later != nameStarts_.end(); ++later) {
        *later -= length;
    }
    return {begin, end};
}

std::pair<int, int> TreeOrder::insertBranch(const TTreeNode* root, const RecordCorpus& records) {
    // The branch stands in front of what follows its sub-branches in the tree.
    const int at = placeAfter(root);
    const TTreeNode* after = at < size() ? nodes_[at] : nullptr;
    std::vector<TTreeNode*> nodes;
    std::vector<int> owns;
    QByteArray folded;
    std::vector<qsizetype> starts;
    for (TTreeNode* node = const_cast<TTreeNode*>(root); node && node != after;
         node = node->GetNext()) {
        append(node, records, nodes, owns, folded, starts);
    }
    const qsizetype from = nameStarts_[at];
    folded_.insert(from, folded);
    nodes_.insert(nodes_.begin() + at, nodes.begin(), nodes.end());
    ownRecords_.insert(ownRecords_.begin() + at, owns.begin(), owns.end());
    for (auto later = nameStarts_.begin() + at; later != nameStarts_.end(); ++later) {
        *later += folded.size();
    }
    for (qsizetype& start : starts) {
        start += from;
    }
    nameStarts_.insert(nameStarts_.begin() + at, starts.begin(), starts.end());
    return {at, at + int(nodes.size())};
}

std::pair<int, int> TreeOrder::moveBranch(const TTreeNode* root, int begin, int end) {
    // In front of what now follows its sub-branches, which is outside them.
    lastPlace_ = begin;
    const int to = placeAfter(root);
    // The stretch [low, high) turns: the branch's places and those it passed change places.
    const int low = std::min(begin, to);
    const int high = std::max(end, to);
    const int middle = to >= end ? end : begin;
    std::vector<qsizetype> lengths(std::size_t(high - low));
    for (int i = low; i < high; ++i) {
        lengths[std::size_t(i - low)] = nameStarts_[i + 1] - nameStarts_[i];
    }
    std::rotate(nodes_.begin() + low, nodes_.begin() + middle, nodes_.begin() + high);
    std::rotate(ownRecords_.begin() + low, ownRecords_.begin() + middle,
                ownRecords_.begin() + high);
    std::rotate(lengths.begin(), lengths.begin() + (middle - low), lengths.end());
    char* bytes = folded_.data();
    std::rotate(bytes + nameStarts_[low], bytes + nameStarts_[middle], bytes + nameStarts_[high]);
    for (int i = low; i < high; ++i) {
        nameStarts_[i + 1] = nameStarts_[i] + lengths[std::size_t(i - low)];
    }
    const int newBegin = to >= end ? begin + (to - end) : to;
    lastPlace_ = newBegin;
    return {newBegin, newBegin + (end - begin)};
}

int TreeOrder::renameBranch(const TTreeNode* node, const RecordCorpus& records) {
    const int at = placeOf(node);
    if (at == size()) {
        return at;
    }
    std::vector<TTreeNode*> nodes;
    std::vector<int> owns;
    QByteArray folded;
    std::vector<qsizetype> starts;
    append(nodes_[at], records, nodes, owns, folded, starts);
    ownRecords_[at] = owns.front();
    const qsizetype from = nameStarts_[at];
    const qsizetype delta = folded.size() - (nameStarts_[at + 1] - from);
    folded_.replace(from, nameStarts_[at + 1] - from, folded);
    for (auto later = nameStarts_.begin() + at + 1; later != nameStarts_.end(); ++later) {
        *later += delta;
    }
    return at;
}

std::vector<int> TreeOrder::reown(const std::vector<QString>& names, const RecordCorpus& records) {
    std::vector<int> places;
    if (names.empty()) {
        return places;
    }
    // A branch cut to the tree file's longest name owns a record whose name begins so.
    std::vector<QString> texts;
    for (const QString& name : names) {
        texts.push_back(name);
        if (name.size() > NameIndex::kMaxBranchNameLength) {
            texts.push_back(name.left(NameIndex::kMaxBranchNameLength));
        }
    }
    // A few names are compared one by one, their lengths first; many are looked up.
    const QSet<QString> many =
        texts.size() > 16 ? QSet<QString>(texts.begin(), texts.end()) : QSet<QString>();
    const auto named = [&](const QString& text) {
        if (!many.isEmpty()) {
            return many.contains(text);
        }
        return std::any_of(texts.begin(), texts.end(), [&](const QString& name) {
            return name.size() == text.size() && name == text;
        });
    };
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        if (named(nodes_[i]->Text())) {
            ownRecords_[i] = records.ownRecordOf(nodes_[i]->Text());
            places.push_back(int(i));
        }
    }
    return places;
}

std::vector<int> TreeOrder::placesOwning(const std::vector<int>& slots, int slotCount) const {
    std::vector<int> places;
    if (slots.empty()) {
        return places;
    }
    std::vector<char> wanted(std::size_t(slotCount), 0);
    for (const int slot : slots) {
        wanted[std::size_t(slot)] = 1;
    }
    for (std::size_t i = 0; i < ownRecords_.size(); ++i) {
        if (ownRecords_[i] >= 0 && wanted[std::size_t(ownRecords_[i])]) {
            places.push_back(int(i));
        }
    }
    return places;
}

void TreeOrder::matchNames(const ByteFinder& query, int begin, int end,
                           std::vector<char>& found) const {
    found.assign(size(), 0);
    if (query.isEmpty() || begin >= end) {
        return;
    }
    // Many names are looked through on every core, each part writing its own places.
    constexpr std::size_t kLeastNamesPerPart = 1 << 17;
    inParallel(std::size_t(end - begin), kLeastNamesPerPart, [&](std::size_t from, std::size_t to) {
        matchNameRange(query, begin + int(from), begin + int(to), found);
    });
}

void TreeOrder::matchNameRange(const ByteFinder& query, int begin, int end,
                               std::vector<char>& found) const {
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
