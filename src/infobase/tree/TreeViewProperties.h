#pragma once

#include <QString>

namespace infobase {

// The properties of the tree view that a component stream can name, by dotted path.
enum class TreeViewProperty {
    Bound,         // Left, Top, Width, Height
    ExplicitBound, // ExplicitLeft … ExplicitHeight
    Cursor,
    DragCursor,
    Align,
    FontCharset,
    FontColor,
    FontHeight,
    FontName,
    FontStyle,
    Indent,
    ParentFont,
    TabOrder,
    Visible,
    NodeData,  // Items.NodeData
    ItemsData, // Items.Data, the older node block
    Object,    // Font, Items and the other sub-objects: no value of their own
    Event,     // an event binding: can only be empty, the tree view has no methods
    Other,     // a further display option: read past, it does not change the program
};

struct ResolvedProperty {
    TreeViewProperty kind;
    int bound = 0; // 0 Left, 1 Top, 2 Width, 3 Height for the two bound kinds
};

// Resolves a path as read. Throws Failure "Property %s does not exist" (the last segment, or
// the whole path when an inner segment names nothing) or "Invalid property path" (a path that
// passes through a property that is not an object). Names are matched without regard to case.
ResolvedProperty resolveTreeViewProperty(const QString& path);

} // namespace infobase
