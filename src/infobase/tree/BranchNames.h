#pragma once

#include "infobase/tree/TreeNodes.h"

#include <QString>

namespace infobase {

// Whether a node of the tree other than `except` (may be nullptr) carries exactly that name.
// A branch is joined to its record by its name, so two branches of one name would share one
// record: new names are checked against the tree with it, and a record is deleted only when
// no other branch still carries its name.
bool nameTakenByOther(const TTreeNodes& items, const QString& name, const TTreeNode* except);

} // namespace infobase
