#include "common/Failure.h"
#include "infobase/tree/ComponentReader.h"
#include "infobase/tree/NodeBlock.h"
#include "infobase/tree/PropertyIdents.h"
#include "infobase/tree/TValueType.h"
#include "infobase/tree/TreeStream.h"
#include "infobase/tree/TreeViewProperties.h"

#include <QIODevice>
#include <optional>

namespace infobase {
namespace {

// The object prefix flag that says a child position (an integer) follows.
constexpr quint8 ffChildPos = 2;

[[noreturn]] void invalidValue() {
    throw Failure(QStringLiteral("Invalid property value"));
}

qint32* boundField(TBounds& bounds, int index) {
    switch (index) {
    case 0:
        return &bounds.Left;
    case 1:
        return &bounds.Top;
    case 2:
        return &bounds.Width;
    default:
        return &bounds.Height;
    }
}

// Reads the value of one entry and applies it to the view or the tree. The view is in its
// loading state: a bound read sets the explicit bound as well.
class EntryReader {
public:
    // `whole`: a node block must end with its last node.
    EntryReader(ComponentReader& in, TreeViewState& view, TTreeNodes& items, bool whole)
        : in_(in), view_(view), items_(items), whole_(whole) {}

    void apply(const QString& path) {
        const ResolvedProperty property = resolveTreeViewProperty(path);
        const quint8 tag = in_.readByte();
        switch (property.kind) {
        case TreeViewProperty::Bound: {
            const qint32 value = in_.readInteger(tag);
            *boundField(view_.bounds, property.bound) = value;
            *boundField(view_.explicitBounds, property.bound) = value;
            return;
        }
        case TreeViewProperty::ExplicitBound:
            *boundField(view_.explicitBounds, property.bound) = in_.readInteger(tag);
            return;
        case TreeViewProperty::Cursor:
            view_.Cursor = namedInteger(tag, idents::cursorValue);
            return;
        case TreeViewProperty::DragCursor:
            view_.DragCursor = namedInteger(tag, idents::cursorValue);
            return;
        case TreeViewProperty::Align:
            view_.Align = static_cast<TAlign>(enumeration(tag, idents::alignValue));
            return;
        case TreeViewProperty::FontCharset:
            // A charset is one byte: an integer read into it keeps its low eight bits, so
            // an 8-bit value written sign-extended (02 CC) still means charset 204.
            view_.Font.Charset = static_cast<quint8>(namedInteger(tag, idents::charsetValue));
            return;
        case TreeViewProperty::FontColor:
            view_.Font.Color = namedInteger(tag, idents::colorValue);
            return;
        case TreeViewProperty::FontHeight:
            view_.Font.Height = in_.readInteger(tag);
            return;
        case TreeViewProperty::FontName:
            view_.Font.Name = in_.readString(tag);
            return;
        case TreeViewProperty::FontStyle:
            view_.Font.Style = fontStyle(tag);
            return;
        case TreeViewProperty::Indent:
            view_.Indent = in_.readInteger(tag);
            return;
        case TreeViewProperty::ParentFont:
            view_.ParentFont = boolean(tag);
            return;
        case TreeViewProperty::TabOrder:
            view_.TabOrder = in_.readInteger(tag);
            return;
        case TreeViewProperty::Visible:
            view_.Visible = boolean(tag);
            return;
        case TreeViewProperty::NodeData: {
            ByteCursor block = binary(tag);
            decodeNodeData(block, items_);
            endOfBlock(block);
            return;
        }
        case TreeViewProperty::ItemsData: {
            ByteCursor block = binary(tag);
            decodeItemsData(block, items_);
            endOfBlock(block);
            return;
        }
        case TreeViewProperty::Object:
            invalidValue();
        case TreeViewProperty::Event:
            // An empty binding is all the tree view can take: it has no methods to name.
            if (tag != vaNil && tag != vaNull) {
                invalidValue();
            }
            return;
        case TreeViewProperty::Other:
            in_.skipValue(tag);
            return;
        }
    }

private:
    QString identifier(quint8 tag) {
        switch (tag) {
        case vaIdent:
            return in_.readShortString();
        case vaFalse:
            return QStringLiteral("False");
        case vaTrue:
            return QStringLiteral("True");
        default:
            invalidValue();
        }
    }

    template <typename Lookup> qint32 namedInteger(quint8 tag, Lookup lookup) {
        if (tag != vaIdent) {
            return in_.readInteger(tag);
        }
        const std::optional<qint32> value = lookup(in_.readShortString());
        if (!value) {
            invalidValue();
        }
        return *value;
    }

    template <typename Lookup> int enumeration(quint8 tag, Lookup lookup) {
        const std::optional<int> value = lookup(identifier(tag));
        if (!value) {
            invalidValue();
        }
        return *value;
    }

    bool boolean(quint8 tag) {
        return enumeration(tag, [](const QString& name) -> std::optional<int> {
                   if (name.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
                       return 0;
                   }
                   if (name.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
                       return 1;
                   }
                   return std::nullopt;
               }) != 0;
    }

    quint8 fontStyle(quint8 tag) {
        if (tag != vaSet) {
            invalidValue();
        }
        quint8 style = 0;
        for (const QString& element : in_.readSetElements()) {
            const std::optional<int> bit = idents::fontStyleBit(element);
            if (!bit) {
                invalidValue();
            }
            style |= quint8(1u << *bit);
        }
        return style;
    }

    void endOfBlock(ByteCursor& block) {
        if (whole_ && block.remaining() != 0) {
            invalidValue();
        }
        block.skipRest();
    }

    ByteCursor binary(quint8 tag) {
        if (tag != vaBinary) {
            invalidValue();
        }
        return in_.readBinary();
    }

    ComponentReader& in_;
    TreeViewState& view_;
    TTreeNodes& items_;
    bool whole_;
};

void readComponent(QIODevice& stream, TreeViewState& view, TTreeNodes& items, bool whole) {

    ComponentReader in(stream);
    if (in.readBytes(4) != "TPF0") {
        throw Failure(QStringLiteral("Invalid stream format"));
    }
    if (const quint8 prefix = in.peekByte(); prefix >= 0xF0) {
        in.readByte();
        if (prefix & ffChildPos) {
            in.readInteger(in.readByte());
        }
    }
    in.readShortString(); // the class name, not compared
    const QString name = in.readShortString();
    EntryReader entries(in, view, items, whole);
    for (QString path = in.readShortString(); !path.isEmpty(); path = in.readShortString()) {
        try {
            entries.apply(path);
        } catch (const Failure& failure) {
            throw Failure(QStringLiteral("Error reading ") + name + QLatin1Char('.') + path +
                          QStringLiteral(": ") + failure.message());
        }
    }
    // The end of the child list. Objects listed there would be further components, which the
    // tree view does not have; they are not read.
    in.readByte();
    if (whole && !stream.atEnd()) {
        throw Failure(QStringLiteral("Invalid stream format"));
    }
}

} // namespace

void ReadComponent(QIODevice& stream, TreeViewState& view, TTreeNodes& items) {
    readComponent(stream, view, items, false);
}

void ReadComponentWhole(QIODevice& stream, TreeViewState& view, TTreeNodes& items) {
    readComponent(stream, view, items, true);
}

} // namespace infobase
