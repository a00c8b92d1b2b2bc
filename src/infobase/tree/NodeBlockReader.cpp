#include "infobase/tree/ByteCursor.h"
#include "infobase/tree/NodeBlock.h"
#include "infobase/tree/TextArena.h"
#include "infobase/tree/Windows1251.h"

#include <QtEndian>
#include <algorithm>
#include <vector>

namespace infobase {
namespace {

// The record layouts a node entry can have.
enum class Layout {
    V1,        // TNodeDataInfo: no expanded image index, no enabled flag
    V3,        // TNodeDataInfo2x86
    V4,        // TNodeDataInfo2x64: an 8-byte Data word
    ItemsData, // TNodeInfo: an entry size, then the text as an 8-bit short string
};

// TNodeInfo holds six integers and a short string of at most 255 characters.
constexpr qint32 kItemsDataFixedSize = 25;
constexpr qint32 kItemsDataMaxSize = 280;

struct Entry {
    QString text;
    qint32 imageIndex = 0, selectedIndex = 0, stateIndex = -1, overlayIndex = -1;
    qint32 expandedImageIndex = 0, data = 0, count = 0;
    bool enabled = true;
};

qint32 at(const char* record, int offset) {
    return qFromLittleEndian<qint32>(record + offset);
}

// The six integers that open a record of the layouts without an expanded-image index.
void readOlderFields(Entry& e, const char* record) {
    e.imageIndex = at(record, 0);
    e.selectedIndex = at(record, 4);
    e.stateIndex = at(record, 8);
    e.overlayIndex = at(record, 12);
    e.data = at(record, 16);
    e.count = at(record, 20);
}

template <Layout layout> Entry readEntry(ByteCursor& in, TextArena& texts) {
    Entry e;
    if constexpr (layout == Layout::ItemsData) {
        const qint32 size = in.i32();
        if (size < kItemsDataFixedSize || size > kItemsDataMaxSize) {
            throw Failure(QStringLiteral("Invalid property value"));
        }
        const char* record = in.take(size);
        const int length = static_cast<quint8>(record[24]);
        if (kItemsDataFixedSize + length > size) {
            throw Failure(QStringLiteral("Invalid property value"));
        }
        readOlderFields(e, record);
        e.text = fromWindows1251(QByteArrayView(record + 25, length));
    } else if constexpr (layout == Layout::V1) {
        // The record size in front says nothing the record does not.
        const char* record = in.take(4 + 25) + 4;
        readOlderFields(e, record);
        e.expandedImageIndex = -1;
        const int length = static_cast<quint8>(record[24]);
        e.text = texts.fromUtf16LittleEndian(in.take(2 * length), length);
    } else {
        constexpr bool wideData = layout == Layout::V4;
        const char* record = in.take(4 + (wideData ? 34 : 30)) + 4;
        e.imageIndex = at(record, 0);
        e.selectedIndex = at(record, 4);
        e.stateIndex = at(record, 8);
        e.overlayIndex = at(record, 12);
        e.expandedImageIndex = at(record, 16);
        e.data = at(record, 20); // of an 8-byte word, the low half
        constexpr int tail = wideData ? 28 : 24;
        e.count = at(record, tail);
        e.enabled = record[tail + 4] != 0;
        const int length = static_cast<quint8>(record[tail + 5]);
        e.text = texts.fromUtf16LittleEndian(in.take(2 * length), length);
    }
    return e;
}

// The smallest entry of a layout; a count in the file cannot promise more entries than the
// remaining bytes can hold, so room is reserved only for those.
constexpr qsizetype smallestEntry(Layout layout) {
    switch (layout) {
    case Layout::V1:
        return 4 + 25;
    case Layout::V3:
        return 4 + 30;
    case Layout::V4:
        return 4 + 34;
    case Layout::ItemsData:
        return 4 + kItemsDataFixedSize;
    }
    return 1;
}

// Reads the root count and every entry, depth first, with an explicit stack so that no depth
// of nesting can exhaust the call stack. A node joins the tree once its entry is read whole.
template <Layout layout> void decodeEntries(ByteCursor& in, TTreeNodes& items) {
    struct Level {
        TTreeNode* parent;
        qint32 remaining;
    };
    const auto reserve = [&](TTreeNode* parent, qint32 count) {
        const auto room =
            static_cast<int>(std::min<qint64>(count, in.remaining() / smallestEntry(layout)));
        items.reserveChildren(parent, room);
    };
    TextArena texts;
    const qint32 roots = in.i32();
    reserve(nullptr, std::max(roots, 0));
    std::vector<Level> levels{{nullptr, roots}};
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.remaining <= 0) {
            levels.pop_back();
            continue;
        }
        --level.remaining;
        TTreeNode* parent = level.parent;
        Entry e = readEntry<layout>(in, texts);
        TTreeNode* node = items.appendLoaded(parent, std::move(e.text), e.count != 0);
        node->ImageIndex = e.imageIndex;
        node->SelectedIndex = e.selectedIndex;
        node->StateIndex = e.stateIndex;
        node->OverlayIndex = e.overlayIndex;
        node->Data = e.data;
        if constexpr (layout != Layout::ItemsData) {
            node->ExpandedImageIndex = e.expandedImageIndex;
            node->Enabled = e.enabled;
        }
        if (e.count > 0) {
            reserve(node, e.count);
            levels.push_back({node, e.count});
        }
    }
}

// Observers hear one reset for the whole decoding, also when it fails half way.
class UpdateScope {
public:
    explicit UpdateScope(TTreeNodes& items) : items_(items) { items_.BeginUpdate(); }
    ~UpdateScope() { items_.EndUpdate(); }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

private:
    TTreeNodes& items_;
};

} // namespace

void decodeNodeData(ByteCursor& in, TTreeNodes& items) {
    UpdateScope update(items);
    items.Clear();
    switch (in.u8()) {
    case 1:
        return decodeEntries<Layout::V1>(in, items);
    case 3:
        return decodeEntries<Layout::V3>(in, items);
    case 4:
        return decodeEntries<Layout::V4>(in, items);
    default:
        return; // a layout this reader does not know: the tree stays empty
    }
}

void decodeItemsData(ByteCursor& in, TTreeNodes& items) {
    UpdateScope update(items);
    items.Clear();
    decodeEntries<Layout::ItemsData>(in, items);
}

} // namespace infobase
