#pragma once

#include "infobase/search/MatchPlace.h"

#include <QStringView>
#include <vector>

namespace infobase::search {

class RecordCorpus;
class TreeOrder;

// The branches that hold the query as a substring, ignoring letter case (SearchFold.h), in
// the tree's order: in the name, else in the own record's description, else in its text. A
// branch without a record of its own is found by its name only. The empty query finds
// nothing.
std::vector<BranchHit> findBranches(const TreeOrder& tree, const RecordCorpus& records,
                                    QStringView query);

} // namespace infobase::search
