#include "infobase/search/FindBranches.h"

#include "infobase/search/ByteFinder.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/search/TreeOrder.h"

namespace infobase::search {

std::vector<BranchHit> findBranches(const TreeOrder& tree, const RecordCorpus& records,
                                    QStringView query, const TTreeNode* within) {
    std::vector<BranchHit> hits;
    const QByteArray folded = foldedQuery(query);
    if (folded.isEmpty()) {
        return hits;
    }
    const ByteFinder finder(folded);
    const auto [begin, end] = within ? tree.subtree(within) : std::pair(0, tree.size());
    std::vector<char> inName;
    tree.matchNames(finder, begin, end, inName);
    // Only the records of branches whose names do not hold the query need looking at.
    std::vector<char> wanted(records.size(), 0);
    for (int i = begin; i < end; ++i) {
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
    std::size_t count = 0;
    for (int i = begin; i < end; ++i) {
        count += placeOf(i) != MatchPlace::None;
    }
    hits.reserve(count);
    for (int i = begin; i < end; ++i) {
        const int own = tree.ownRecord(i);
        if (const MatchPlace place = placeOf(i); place != MatchPlace::None) {
            hits.push_back({tree.node(i), own < 0 ? 0 : records.rowId(own), place});
        }
    }
    return hits;
}

} // namespace infobase::search
