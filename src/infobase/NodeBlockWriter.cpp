#include "infobase/NodeBlock.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace infobase {
namespace {

constexpr qsizetype kRecordSize = 30; // TNodeDataInfo2x86, without the size in front of it
constexpr int kMaxTextLength = 255;

int writtenTextLength(const TTreeNode& node) {
    return static_cast<int>(std::min<qsizetype>(node.Text().size(), kMaxTextLength));
}

// Depth-first pre-order without recursion: a node, then its subtree, then its next sibling.
TTreeNode* nextInPreOrder(const TTreeNode* node) {
    if (TTreeNode* child = node->getFirstChild()) {
        return child;
    }
    for (; node; node = node->Parent()) {
        if (TTreeNode* sibling = node->getNextSibling()) {
            return sibling;
        }
    }
    return nullptr;
}

char* putInt32(char* out, qint32 value) {
    qToLittleEndian(value, out);
    return out + 4;
}

} // namespace

QByteArray encodeNodeData(const TTreeNodes& items) {
    qsizetype size = 1 + 4;
    for (const TTreeNode* node = items.getFirstNode(); node; node = nextInPreOrder(node)) {
        size += 4 + kRecordSize + 2 * writtenTextLength(*node);
    }
    QByteArray block(size, Qt::Uninitialized);
    char* out = block.data();
    *out++ = 3;
    out = putInt32(out, items.TopCount());
    for (const TTreeNode* node = items.getFirstNode(); node; node = nextInPreOrder(node)) {
        const int textLength = writtenTextLength(*node);
        const qint32 count = node->Count() == 0 && node->HasChildren() ? -1 : node->Count();
        out = putInt32(out, static_cast<qint32>(kRecordSize + 2 * textLength));
        out = putInt32(out, node->ImageIndex);
        out = putInt32(out, node->SelectedIndex);
        out = putInt32(out, node->StateIndex);
        out = putInt32(out, node->OverlayIndex);
        out = putInt32(out, node->ExpandedImageIndex);
        out = putInt32(out, node->Data);
        out = putInt32(out, count);
        *out++ = node->Enabled ? 1 : 0;
        *out++ = static_cast<char>(textLength);
        const auto* text = reinterpret_cast<const char16_t*>(node->Text().constData());
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            std::memcpy(out, text, static_cast<size_t>(2 * textLength));
            out += 2 * textLength;
        } else {
            for (int i = 0; i < textLength; ++i) {
                qToLittleEndian(static_cast<quint16>(text[i]), out);
                out += 2;
            }
        }
    }
    return block;
}

} // namespace infobase
