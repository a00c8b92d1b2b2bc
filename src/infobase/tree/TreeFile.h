#pragma once

#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeViewState.h"

#include <QString>

namespace infobase {

// Replaces the tree file with the view state and the whole tree. The new content goes to a
// temporary file in the same folder that is flushed to disk and then renamed over the old
// one, so on any failure the old file stays as it was. Throws Failure with "Cannot create
// file …" or "Stream write error".
void writeTreeFile(const QString& path, const TreeViewState& view, const TTreeNodes& items);

// Reads the tree file into the view state and tree. Throws Failure with "Cannot open file …"
// or the reading error; what was read before an error stays applied.
void readTreeFile(const QString& path, TreeViewState& view, TTreeNodes& items);

// Reads the tree file whole with the strict reader (ReadComponentWhole), into a tree of its
// own. Throws Failure with the reading error when it is not sound.
void checkTreeFile(const QString& path);

enum class TreeFileLoad { Missing, Loaded };

// The start-up read: Missing when there is no tree file (nothing, or a folder, at its path),
// Loaded when it was read whole. When the file exists but cannot be read, it is first moved
// aside (keepUnreadableTreeFile), so that the next write cannot destroy it, and then the
// reading error is thrown as Failure.
TreeFileLoad loadTreeFileAtStartUp(const QString& path, TreeViewState& view, TTreeNodes& items);

// Moves the file to a new name beside it that says it could not be read ("TreeView.dat" →
// "TreeView.dat.unreadable", then "….unreadable-2" and so on), never replacing an earlier
// copy. Returns the new path, or an empty string when the file could not be moved.
QString keepUnreadableTreeFile(const QString& path);

} // namespace infobase
