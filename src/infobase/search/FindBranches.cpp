#include "infobase/search/FindBranches.h"

#include "infobase/search/ByteFinder.h"
#include "infobase/search/InParallel.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/search/TreeOrder.h"

#include <algorithm>
#include <numeric>

namespace infobase::search {

namespace {

// The places are sorted out in blocks of this many: each block's results go to a stretch of
// their own, so that both cores make them.
constexpr std::size_t kPlacesPerBlock = 1 << 16;

// The branches of the places, in their order, that hold the query, with the names already
// matched.
FoundBranches collect(const TreeOrder& tree, const RecordCorpus& records, const ByteFinder& finder,
                      const std::vector<int>& places, const std::vector<char>& inName,
                      FoundBranches storage) {
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
    // Each block's results counted, then written where the earlier blocks' end: a list of most
    // of a million results is made without growing it and without a pass on one core only.
    const std::size_t blocks = (places.size() + kPlacesPerBlock - 1) / kPlacesPerBlock;
    std::vector<std::size_t> starts(blocks + 1, 0);
    inParallel(blocks, 1, [&](std::size_t first, std::size_t end) {
        for (std::size_t block = first; block < end; ++block) {
            const std::size_t to = std::min(places.size(), (block + 1) * kPlacesPerBlock);
            std::size_t count = 0;
            for (std::size_t k = block * kPlacesPerBlock; k < to; ++k) {
                count += placeOf(places[k]) != MatchPlace::None;
            }
            starts[block + 1] = count;
        }
    });
    for (std::size_t block = 0; block < blocks; ++block) {
        starts[block + 1] += starts[block];
    }
    FoundBranches found = std::move(storage);
    found.hits.clear();
    found.places.clear();
    found.hits.resize(starts[blocks]);
    found.places.resize(starts[blocks]);
    inParallel(blocks, 1, [&](std::size_t first, std::size_t end) {
        for (std::size_t block = first; block < end; ++block) {
            const std::size_t to = std::min(places.size(), (block + 1) * kPlacesPerBlock);
            std::size_t out = starts[block];
            for (std::size_t k = block * kPlacesPerBlock; k < to; ++k) {
                const int i = places[k];
                if (const MatchPlace place = placeOf(i); place != MatchPlace::None) {
                    const int own = tree.ownRecord(i);
                    found.hits[out] = {tree.node(i), own < 0 ? 0 : records.rowId(own), place};
                    found.places[out] = i;
                    ++out;
                }
            }
        }
    });
    return found;
}

} // namespace

FoundBranches findBranchesWithPlaces(const TreeOrder& tree, const RecordCorpus& records,
                                     QStringView query, const TTreeNode* within,
                                     FoundBranches storage) {
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
    return collect(tree, records, finder, places, inName, std::move(storage));
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
    return collect(tree, records, finder, among, inName, {});
}

std::vector<BranchHit> findBranches(const TreeOrder& tree, const RecordCorpus& records,
                                    QStringView query, const TTreeNode* within) {
    return findBranchesWithPlaces(tree, records, query, within).hits;
}

} // namespace infobase::search
