#include "infobase/search/FindBranches.h"

#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/search/TreeOrder.h"

namespace infobase::search {

std::vector<BranchHit> findBranches(const TreeOrder& tree, const RecordCorpus& records,
                                    QStringView query) {
    std::vector<BranchHit> hits;
    const QByteArray folded = foldedQuery(query);
    if (folded.isEmpty()) {
        return hits;
    }
    std::vector<bool> inName;
    tree.matchNames(folded, inName);
    std::vector<MatchPlace> inRecord;
    records.match(folded, inRecord);
    for (int i = 0; i < tree.size(); ++i) {
        const int own = tree.ownRecord(i);
        const qint64 rowId = own < 0 ? 0 : records.rowId(own);
        if (inName[i]) {
            hits.push_back({tree.node(i), rowId, MatchPlace::Name});
        } else if (own >= 0 && inRecord[own] != MatchPlace::None) {
            hits.push_back({tree.node(i), rowId, inRecord[own]});
        }
    }
    return hits;
}

} // namespace infobase::search
