#pragma once

#include <QtGlobal>

namespace infobase {
class TTreeNode;
}

namespace infobase::search {

// Where a branch holds the text looked for; the first of these three that does.
enum class MatchPlace : quint8 { None, Name, Description, Text };

// One branch found: the node, its own record's hidden key (0 without one) and the place.
struct BranchHit {
    TTreeNode* node = nullptr;
    qint64 rowId = 0;
    MatchPlace place = MatchPlace::None;
};

} // namespace infobase::search
