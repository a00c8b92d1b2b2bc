#pragma once

#include "infobase/wholefile/FileCopy.h"

#include <QString>

namespace infobase {

// What the check of a base file found.
struct BaseCheckResult {
    QString failure;     // why the file does not open with the base's password; empty if it does
    QString damage;      // what is wrong with it, in the database's own words; empty if sound
    qint64 records = -1; // how many branch records it holds
};

// Checks a base file whole: every page is read, which with the base's password makes the
// cipher authenticate it, and the b-trees are checked for soundness (SQLite's integrity
// check). Progress is told in bytes of the file read so far, (0, size) first and (size,
// size) at the end of a sound file. Nothing is written.
BaseCheckResult checkBaseFile(const QString& path, const CopyProgress& progress);

} // namespace infobase
