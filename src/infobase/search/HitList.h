#pragma once

#include "infobase/search/FindBranches.h"

#include <utility>
#include <vector>

namespace infobase::search {

// A search's results with each one's place in the tree order, kept in that order while the
// tree and the records change: a command changes the results where it changed the tree or
// the records, and the query does not run over everything again.
class HitList {
public:
    const std::vector<BranchHit>& hits() const { return found_.hits; }
    const std::vector<int>& places() const { return found_.places; }

    void assign(FoundBranches found) { found_ = std::move(found); }
    // The results given up, with their room, for the next ones to take.
    FoundBranches take() { return std::exchange(found_, {}); }
    void clear();

    // The places [begin, end) leave the order: their results go (given back, their places
    // counted from begin), and the later results move up.
    FoundBranches cut(int begin, int end);
    // `count` places come into the order at `at`: the later results move down, and the
    // results given (their places counted from at) come in.
    void open(int at, int count, const FoundBranches& coming);
    // The results at the places given (in order) are replaced by those found there.
    void redo(const std::vector<int>& looked, const FoundBranches& found);

private:
    FoundBranches found_;
};

} // namespace infobase::search
