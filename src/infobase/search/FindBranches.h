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

// The same, looking only at the branches of the places listed (in the tree's order), and
// giving the places of the branches found: a query that holds an earlier one is found only
// among that one's results.
struct FoundBranches {
    std::vector<BranchHit> hits;
    std::vector<int> places; // each hit's place in the tree order
};
FoundBranches findBranchesAmong(const TreeOrder& tree, const RecordCorpus& records,
                                QStringView query, const std::vector<int>& among);
// `storage`: results no longer wanted, whose room the new ones take (a list of most of a
// million results is not allocated anew for each key).
FoundBranches findBranchesWithPlaces(const TreeOrder& tree, const RecordCorpus& records,
                                     QStringView query, const TTreeNode* within = nullptr,
                                     FoundBranches storage = {});

} // namespace infobase::search
