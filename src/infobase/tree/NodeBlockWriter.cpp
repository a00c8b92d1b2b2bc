#include "infobase/tree/NodeBlock.h"
#include "infobase/tree/StreamWriteBuffer.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <vector>

namespace infobase {
namespace {

constexpr qsizetype kRecordSize = 30; // TNodeDataInfo2x86, without the size in front of it
constexpr int kMaxTextLength = 255;

int writtenTextLength(const TTreeNode& node) {
    return static_cast<int>(std::min<qsizetype>(node.Text().size(), kMaxTextLength));
}

// Calls fn for every node in depth-first pre-order (a node, then its subtree, then its next
// sibling), without recursion, leaving out the node `without` (may be nullptr) and its subtree.
// Walking each parent's list of children in turn touches fewer places in memory than asking every
// node for its next sibling.
template <typename Fn>
void forEachInPreOrder(const TTreeNodes& items, const TTreeNode* without, Fn fn) {
    struct Level {
        const TTreeNode* parent; // nullptr: the top level
        int next;
    };
    std::vector<Level> levels{{nullptr, 0}};
    while (!levels.empty()) {
        Level& level = levels.back();
        const int count = level.parent ? level.parent->Count() : items.TopCount();
        if (level.next == count) {
            levels.pop_back();
            continue;
        }
        const TTreeNode* node =
            level.parent ? level.parent->Item(level.next) : items.TopItem(level.next);
        ++level.next;
        if (node == without) {
            continue;
        }
        fn(*node);
        if (node->Count() > 0) {
            levels.push_back({node, 0});
        }
    }
}

char* putInt32(char* out, qint32 value) {
    qToLittleEndian(value, out);
    return out + 4;
}

} // namespace

qint64 nodeDataSize(const TTreeNodes& items, const TTreeNode* without) {
    qint64 size = 1 + 4;
    forEachInPreOrder(items, without, [&size](const TTreeNode& node) {
        size += 4 + kRecordSize + 2 * writtenTextLength(node);
    });
    return size;
}

void writeNodeData(const TTreeNodes& items, StreamWriteBuffer& out, const TTreeNode* without) {
    const TTreeNode* withoutParent = without ? without->Parent() : nullptr;
    char head[1 + 4];
    head[0] = 3;
    putInt32(head + 1, items.TopCount() - (without && !withoutParent ? 1 : 0));
    out.write(head, sizeof head);
    // One entry: its size, the record and at most 255 code units of text.
    char entry[4 + kRecordSize + 2 * kMaxTextLength];
    forEachInPreOrder(items, without, [&](const TTreeNode& node) {
        const int textLength = writtenTextLength(node);
        // A parent whose last child is left out is written as the tree's delete leaves it:
        // without children and without the expand button.
        const int children = node.Count() - (&node == withoutParent ? 1 : 0);
        const bool button = node.HasChildren() && !(&node == withoutParent && children == 0);
        const qint32 count = children == 0 && button ? -1 : children;
        char* at = putInt32(entry, static_cast<qint32>(kRecordSize + 2 * textLength));
        at = putInt32(at, node.ImageIndex);
        at = putInt32(at, node.SelectedIndex);
        at = putInt32(at, node.StateIndex);
        at = putInt32(at, node.OverlayIndex);
        at = putInt32(at, node.ExpandedImageIndex);
        at = putInt32(at, node.Data);
        at = putInt32(at, count);
        *at++ = node.Enabled ? 1 : 0;
        *at++ = static_cast<char>(textLength);
        const auto* text = reinterpret_cast<const char16_t*>(node.Text().constData());
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            std::memcpy(at, text, static_cast<size_t>(2 * textLength));
            at += 2 * textLength;
        } else {
            for (int i = 0; i < textLength; ++i) {
                qToLittleEndian(static_cast<quint16>(text[i]), at);
                at += 2;
            }
        }
        out.write(entry, at - entry);
    });
}

} // namespace infobase
