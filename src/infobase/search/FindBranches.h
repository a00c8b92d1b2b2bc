#pragma once

#include "infobase/search/MatchPlace.h"

#include <QStringView>
#include <vector>

namespace infobase {
class TTreeNode;
}

namespace infobase::search {

class RecordCorpus;
class TreeOrder;

// The branches that hold the query as a substring, ignoring letter case (SearchFold.h), in
// the tree's order: in the name, else in the own record's description, else in its text. A
// branch without a record of its own is found by its name only. The empty query finds
// nothing. With `within`, only that branch and its sub-branches are looked at.
std::vector<BranchHit> findBranches(const TreeOrder& tree, const RecordCorpus& records,
                                    QStringView query, const TTreeNode* within = nullptr);

} // namespace infobase::search
