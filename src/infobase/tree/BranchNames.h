#pragma once

#include "infobase/tree/TreeNodes.h"

#include <QString>

namespace infobase {

// Whether a node of the tree other than `except` (may be nullptr) carries exactly that name.
// A branch is joined to its record by its name, so two branches of one name would share one
// record: new names are checked against the tree with it, and a record is deleted only when
// no other branch still carries its name.
bool nameTakenByOther(const TTreeNodes& items, const QString& name, const TTreeNode* except);

// The longest name, in UTF-16 code units, that the tree file keeps whole.
inline constexpr qsizetype kMaxBranchNameLength = 255;

// Whether the tree file keeps the name whole. A longer one would be cut there, and after the
// next start the branch would carry another name than its record, or the name of another
// branch: such a name is refused before anything is stored.
inline bool nameFitsTreeFile(const QString& name) {
    return name.size() <= kMaxBranchNameLength;
}

} // namespace infobase
