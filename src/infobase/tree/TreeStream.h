#pragma once

#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeViewState.h"

class QIODevice;

namespace infobase {

// The tree view's component stream: the signature "TPF0", the view's header, its display
// settings as named values and one binary block with every node.

// Saves the view state and the whole tree into an open device, through a 4096-byte buffer.
// Throws Failure("Stream write error") when the device takes fewer bytes than given.
void WriteComponent(QIODevice& stream, const TreeViewState& view, const TTreeNodes& items);
// The same as if the node (may be nullptr) were deleted, the tree left as it is.
void WriteComponentWithout(QIODevice& stream, const TreeViewState& view, const TTreeNodes& items,
                           const TTreeNode* without);

// Loads a stream into the existing view state and tree: entries the stream names are applied
// in order, the others keep their values; a node block replaces every node. Throws Failure
// with the text the user is shown, and stops at the first error without undoing what was
// applied before it.
void ReadComponent(QIODevice& stream, TreeViewState& view, TTreeNodes& items);

// The same, for a check that the stream is sound: it also fails when bytes are left over, in
// the node block after its last node or in the stream after its end. A block overwritten in
// place shifts the nodes after it, which then rarely end where the block ends.
void ReadComponentWhole(QIODevice& stream, TreeViewState& view, TTreeNodes& items);

} // namespace infobase
