#include "infobase/search/FindBranches.h"

#include "infobase/search/ByteFinder.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/search/TreeOrder.h"

#include <numeric>

namespace infobase::search {

namespace {

// The branches of the places, in their order, that hold the query, with the names already
// matched.
FoundBranches collect(const TreeOrder& tree, const RecordCorpus& records, const ByteFinder& finder,
                      const std::vector<int>& places, const std::vector<char>& inName) {
    // Only the records of branches whose names do not hold the query need looking at.
    std::vector<char> wanted(records.slotCount(), 0);
    for (const int i : places) {
        if (!inName[i] && tree.ownRecord(i) >= 0) {
            wanted[tree.ownRecord(i)] = 1;
        }
    }
    std::vector<MatchPlace> inRecord;
    records.match(finder, wanted, inRecord);
    const auto placeOf = [&](int i) {
        const int own = tree.ownRecord(i);
        return inName[i] ? MatchPlace::Name : own < 0 ? MatchPlace::None : inRecord[own];
    };
    FoundBranches found;
    std::size_t count = 0;
    for (const int i : places) {
        count += placeOf(i) != MatchPlace::None;
    }
    found.hits.reserve(count);
    found.places.reserve(count);
    for (const int i : places) {
        const int own = tree.ownRecord(i);
        if (const MatchPlace place = placeOf(i); place != MatchPlace::None) {
            found.hits.push_back({tree.node(i), own < 0 ? 0 : records.rowId(own), place});
            found.places.push_back(i);
        }
    }
    return found;
}

} // namespace

FoundBranches findBranchesWithPlaces(const TreeOrder& tree, const RecordCorpus& records,
                                     QStringView query, const TTreeNode* within) {
    const QByteArray folded = foldedQuery(query);
    if (folded.isEmpty()) {
        return {};
    }
    const ByteFinder finder(folded);
    const auto [begin, end] = within ? tree.subtree(within) : std::pair(0, tree.size());
    std::vector<char> inName;
    tree.matchNames(finder, begin, end, inName);
    std::vector<int> places(std::size_t(end - begin));
    std::iota(places.begin(), places.end(), begin);
    return collect(tree, records, finder, places, inName);
}

FoundBranches findBranchesAmong(const TreeOrder& tree, const RecordCorpus& records,
                                QStringView query, const std::vector<int>& among) {
    const QByteArray folded = foldedQuery(query);
    if (folded.isEmpty()) {
        return {};
    }
    const ByteFinder finder(folded);
    std::vector<char> inName;
    tree.matchNames(finder, among, inName);
    return collect(tree, records, finder, among, inName);
}

std::vector<BranchHit> findBranches(const TreeOrder& tree, const RecordCorpus& records,
                                    QStringView query, const TTreeNode* within) {
    return findBranchesWithPlaces(tree, records, query, within).hits;
}

} // namespace infobase::search
