#pragma once

#include "infobase/store/FileCopy.h"

#include <QString>

namespace infobase {

// Checks a base file whole: every page is read, which with the base's password makes the
// cipher authenticate it, and the b-trees are checked for soundness (SQLite's integrity
// check). Progress is told in bytes of the file read so far, (0, size) first.
//
// Returns the empty text when the file is sound, otherwise what is wrong with it, in the
// database's own words. A file that does not open counts as damaged. Nothing is written.
QString damageInBase(const QString& path, const CopyProgress& progress);

} // namespace infobase
