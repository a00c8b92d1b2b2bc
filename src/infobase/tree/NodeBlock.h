#pragma once

#include "infobase/tree/TreeNodes.h"

namespace infobase {

// The binary block that holds every node: a root count and one entry per node in depth-first
// pre-order, each entry a record and the node's text, followed by its children's entries.

class ByteCursor;
class StreamWriteBuffer;

// The block as written: version 3, each text cut to its first 255 UTF-16 code units. Its size
// is known before it is written, so it goes out entry by entry after its length. With a node
// `without`, the block is the one the tree gives once that node is deleted.
qint64 nodeDataSize(const TTreeNodes& items, const TTreeNode* without = nullptr);
void writeNodeData(const TTreeNodes& items, StreamWriteBuffer& out,
                   const TTreeNode* without = nullptr);

// Decode an "Items.NodeData" block (version byte 1, 3 or 4; any other version leaves the tree
// empty) or an old "Items.Data" block into the tree, after removing every node. Throws
// Failure("Stream read error") when the block ends before its entries do, and Failure("Invalid
// property value") for an "Items.Data" entry whose size cannot hold its record. The nodes decoded
// before an error stay in the tree.
void decodeNodeData(ByteCursor& block, TTreeNodes& items);
void decodeItemsData(ByteCursor& block, TTreeNodes& items);

} // namespace infobase
