#pragma once

#include "infobase/search/MatchPlace.h"

#include <QString>
#include <QStringView>

namespace infobase {
class SqlcipherConnection;
class TTreeNode;
} // namespace infobase

namespace infobase::search {

// What a result shows besides the place: the branch's path and a short excerpt of the
// description or text around the first match.

// The texts of the branch and its parents from the top, joined by " / ".
QString branchPath(const TTreeNode* node);

// The words around the first match of the query in the text (ignoring letter case as the
// search does): at most kExcerptLength characters, line breaks and tabs as blanks, "…" where
// the text goes on. Without a match, the text's beginning.
inline constexpr qsizetype kExcerptLength = 90;
QString excerptAround(QStringView text, QStringView query);

// The excerpt of a description or text hit, read from the record as the base holds it now;
// empty for a name hit, a record gone or a base that cannot be read.
QString hitExcerpt(const SqlcipherConnection& connection, const BranchHit& hit, QStringView query);

} // namespace infobase::search
