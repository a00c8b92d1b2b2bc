#pragma once

#include <QString>

namespace infobase {

// Where an import writes the new base before it takes its place: beside the base, under a
// name of its own. What a killed import left there is only ever a half-written file.
QString importingPath(const QString& basePath);

// Puts the finished, synced new base at importedPath in its place, in steps each of which
// leaves a whole state behind when the run is killed.
//
// When the base path is the old file itself (the Windows program's base converted in
// place), the old file is first kept under a name of its own beside it (keptOldName), never
// over another file; only then does the new base replace it under the base's name. Killed
// between the two steps, the old file is still under the base's name (and asked about again
// at the next connect); a later placement finds the kept name already holding that very
// file and uses it again.
//
// Otherwise nothing may exist under the base's name: the new base is put there, never over
// another file. Returns the name the old file is kept under, or an empty text when it was
// not the base. Throws Failure.
QString placeImportedBase(const QString& importedPath, const QString& basePath,
                          const QString& oldPath);

// The first free name for keeping the old base beside it: "Quorlent.windows-jet4.mdb",
// then "Quorlent.windows-jet4-2.mdb" and so on; a name that holds the very same file
// already counts as free.
QString keptOldName(const QString& oldPath);

// True when both names lead to the same file.
bool sameFile(const QString& a, const QString& b);

} // namespace infobase
