#include "infobase/tree/TreeViewProperties.h"

#include "common/Failure.h"

#include <QStringList>
#include <span>

namespace infobase {
namespace {

using enum TreeViewProperty;

struct PropertyEntry {
    const char* name;
    TreeViewProperty kind;
    int bound = 0;
    std::span<const PropertyEntry> members = {}; // of an object
};

constexpr PropertyEntry kFontMembers[] = {
    {"Charset", FontCharset}, {"Color", FontColor}, {"Height", FontHeight},
    {"Name", FontName},       {"Style", FontStyle}, {"Orientation", Other},
    {"Pitch", Other},         {"Quality", Other},   {"Size", Other},
};

constexpr PropertyEntry kItemsMembers[] = {{"NodeData", NodeData}, {"Data", ItemsData}};

constexpr PropertyEntry kConstraintsMembers[] = {
    {"MaxHeight", Other}, {"MaxWidth", Other}, {"MinHeight", Other}, {"MinWidth", Other}};

constexpr PropertyEntry kMarginsMembers[] = {
    {"Left", Other}, {"Top", Other}, {"Right", Other}, {"Bottom", Other}};

constexpr PropertyEntry kTouchMembers[] = {
    {"GestureManager", Other},
    {"InteractiveGestures", Other},
    {"InteractiveGestureOptions", Other},
    {"ParentTabletOptions", Other},
    {"TabletOptions", Other},
};

constexpr PropertyEntry kTreeView[] = {
    {"Left", Bound, 0},
    {"Top", Bound, 1},
    {"Width", Bound, 2},
    {"Height", Bound, 3},
    {"ExplicitLeft", ExplicitBound, 0},
    {"ExplicitTop", ExplicitBound, 1},
    {"ExplicitWidth", ExplicitBound, 2},
    {"ExplicitHeight", ExplicitBound, 3},
    {"Cursor", Cursor},
    {"Align", Align},
    {"DragCursor", DragCursor},
    {"Indent", Indent},
    {"ParentFont", ParentFont},
    {"TabOrder", TabOrder},
    {"Visible", Visible},
    {"Font", Object, 0, kFontMembers},
    {"Items", Object, 0, kItemsMembers},
    {"Constraints", Object, 0, kConstraintsMembers},
    {"Margins", Object, 0, kMarginsMembers},
    {"Touch", Object, 0, kTouchMembers},
    // Display options that the program leaves at their defaults.
    {"AlignWithMargins", Other},
    {"Anchors", Other},
    {"AutoExpand", Other},
    {"BevelEdges", Other},
    {"BevelInner", Other},
    {"BevelKind", Other},
    {"BevelOuter", Other},
    {"BevelWidth", Other},
    {"BiDiMode", Other},
    {"BorderStyle", Other},
    {"BorderWidth", Other},
    {"ChangeDelay", Other},
    {"Color", Other},
    {"Ctl3D", Other},
    {"CustomHint", Other},
    {"DoubleBuffered", Other},
    {"DragKind", Other},
    {"DragMode", Other},
    {"Enabled", Other},
    {"HelpContext", Other},
    {"HelpKeyword", Other},
    {"HelpType", Other},
    {"HideSelection", Other},
    {"Hint", Other},
    {"HotTrack", Other},
    {"Images", Other},
    {"MultiSelect", Other},
    {"MultiSelectStyle", Other},
    {"ParentBiDiMode", Other},
    {"ParentColor", Other},
    {"ParentCtl3D", Other},
    {"ParentCustomHint", Other},
    {"ParentDoubleBuffered", Other},
    {"ParentShowHint", Other},
    {"PopupMenu", Other},
    {"ReadOnly", Other},
    {"RightClickSelect", Other},
    {"RowSelect", Other},
    {"ShowButtons", Other},
    {"ShowHint", Other},
    {"ShowLines", Other},
    {"ShowRoot", Other},
    {"SortType", Other},
    {"StateImages", Other},
    {"StyleElements", Other},
    {"StyleName", Other},
    {"TabStop", Other},
    {"Tag", Other},
    {"ToolTips", Other},
    // Event bindings.
    {"OnAddition", Event},
    {"OnAdvancedCustomDraw", Event},
    {"OnAdvancedCustomDrawItem", Event},
    {"OnCancelEdit", Event},
    {"OnChange", Event},
    {"OnChanging", Event},
    {"OnClick", Event},
    {"OnCollapsed", Event},
    {"OnCollapsing", Event},
    {"OnCompare", Event},
    {"OnContextPopup", Event},
    {"OnCreateNodeClass", Event},
    {"OnCustomDraw", Event},
    {"OnCustomDrawItem", Event},
    {"OnDblClick", Event},
    {"OnDeletion", Event},
    {"OnDragDrop", Event},
    {"OnDragOver", Event},
    {"OnEdited", Event},
    {"OnEditing", Event},
    {"OnEndDock", Event},
    {"OnEndDrag", Event},
    {"OnEnter", Event},
    {"OnExit", Event},
    {"OnExpanded", Event},
    {"OnExpanding", Event},
    {"OnGesture", Event},
    {"OnGetImageIndex", Event},
    {"OnGetSelectedIndex", Event},
    {"OnHint", Event},
    {"OnKeyDown", Event},
    {"OnKeyPress", Event},
    {"OnKeyUp", Event},
    {"OnMouseActivate", Event},
    {"OnMouseDown", Event},
    {"OnMouseEnter", Event},
    {"OnMouseLeave", Event},
    {"OnMouseMove", Event},
    {"OnMouseUp", Event},
    {"OnStartDock", Event},
    {"OnStartDrag", Event},
};

const PropertyEntry* find(std::span<const PropertyEntry> table, const QString& name) {
    for (const PropertyEntry& entry : table) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

ResolvedProperty resolveTreeViewProperty(const QString& path) {
    const QStringList segments = path.split(QLatin1Char('.'));
    std::span<const PropertyEntry> table = kTreeView;
    for (qsizetype i = 0; i + 1 < segments.size(); ++i) {
        const PropertyEntry* entry = find(table, segments[i]);
        if (!entry) {
            throw Failure(QStringLiteral("Property %1 does not exist").arg(path));
        }
        if (entry->kind != Object) {
            throw Failure(QStringLiteral("Invalid property path"));
        }
        table = entry->members;
    }
    const PropertyEntry* entry = find(table, segments.last());
    if (!entry) {
        throw Failure(QStringLiteral("Property %1 does not exist").arg(segments.last()));
    }
    return {entry->kind, entry->bound};
}

} // namespace infobase
