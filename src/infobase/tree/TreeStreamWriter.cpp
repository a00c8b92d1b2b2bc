#include "infobase/tree/ComponentWriter.h"
#include "infobase/tree/NodeBlock.h"
#include "infobase/tree/PropertyIdents.h"
#include "infobase/tree/TreeStream.h"

#include <QStringList>

namespace infobase {
namespace {

// Defaults of the entries that are written only when they differ.
constexpr TAlign kDefaultAlign = TAlign::alNone;
constexpr qint32 kDefaultTabOrder = -1;

QStringList fontStyleElements(quint8 style) {
    QStringList elements;
    for (int bit = 0; bit < 4; ++bit) {
        if (style & (1u << bit)) {
            elements.append(idents::fontStyleName(bit));
        }
    }
    return elements;
}

int subtreeSize(const TTreeNode* node) {
    int size = 0;
    for (const TTreeNode* next = node; next && (next == node || next->Level() > node->Level());
         next = next->GetNext()) {
        ++size;
    }
    return size;
}

} // namespace

void WriteComponent(QIODevice& stream, const TreeViewState& view, const TTreeNodes& items) {
    WriteComponentWithout(stream, view, items, nullptr);
}

void WriteComponentWithout(QIODevice& stream, const TreeViewState& view, const TTreeNodes& items,
                           const TTreeNode* without) {
    ComponentWriter out(stream);
    const auto entry = [&](const char* name) { out.writeShortString(QLatin1String(name)); };

    out.writeSignature();
    out.writeShortString(QStringLiteral("TTreeView"));
    out.writeShortString(QStringLiteral("TreeView1"));

    const TBounds& b = view.bounds;
    entry("Left");
    out.writeInteger(b.Left);
    entry("Top");
    out.writeInteger(b.Top);
    entry("Width");
    out.writeInteger(b.Width);
    entry("Height");
    out.writeInteger(b.Height);
    if (view.Cursor != crDefault) {
        entry("Cursor");
        out.writeNamedInteger(view.Cursor, idents::cursorName(view.Cursor));
    }
    if (view.Align != kDefaultAlign) {
        entry("Align");
        out.writeIdent(idents::alignName(static_cast<int>(view.Align)));
    }
    if (view.DragCursor != crDrag) {
        entry("DragCursor");
        out.writeNamedInteger(view.DragCursor, idents::cursorName(view.DragCursor));
    }
    if (!view.ParentFont) {
        const TreeViewFont& font = view.Font;
        entry("Font.Charset");
        out.writeNamedInteger(font.Charset, idents::charsetName(font.Charset));
        entry("Font.Color");
        out.writeNamedInteger(font.Color, idents::colorName(font.Color));
        entry("Font.Height");
        out.writeInteger(font.Height);
        if (!font.Name.isEmpty()) {
            entry("Font.Name");
            out.writeString(font.Name);
        }
        entry("Font.Style");
        out.writeSet(fontStyleElements(font.Style));
    }
    entry("Indent");
    out.writeInteger(view.Indent);
    if (!view.ParentFont) {
        entry("ParentFont");
        out.writeBoolean(false);
    }
    if (view.TabOrder != kDefaultTabOrder) {
        entry("TabOrder");
        out.writeInteger(view.TabOrder);
    }
    if (!view.Visible) {
        entry("Visible");
        out.writeBoolean(false);
    }
    if (items.Count() > (without ? subtreeSize(without) : 0)) {
        entry("Items.NodeData");
        out.writeBinaryHead(nodeDataSize(items, without));
        writeNodeData(items, out.buffer(), without);
    }
    const TBounds& e = view.explicitBounds;
    const struct {
        const char* name;
        qint32 explicitValue, currentValue;
    } explicitEntries[] = {{"ExplicitLeft", e.Left, b.Left},
                           {"ExplicitTop", e.Top, b.Top},
                           {"ExplicitWidth", e.Width, b.Width},
                           {"ExplicitHeight", e.Height, b.Height}};
    for (const auto& bound : explicitEntries) {
        if (bound.explicitValue != bound.currentValue) {
            entry(bound.name);
            out.writeInteger(bound.explicitValue);
        }
    }
    out.writeEndOfList(); // the property list
    out.writeEndOfList(); // the child list
    out.flush();
}

} // namespace infobase
