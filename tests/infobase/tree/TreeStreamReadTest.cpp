#include "StreamBytes.h"
#include "TreeTestSupport.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <utility>

using namespace infobase;

namespace {

// A stream of the given property entries, properly closed.
QByteArray stream(const QByteArray& entries) {
    return StreamBytes().raw(treeViewHeader()).raw(entries).hex("00 00");
}

QByteArray binaryEntry(const char* name, const QByteArray& block) {
    return StreamBytes().shortString(name).hex("0A").int32(block.size()).raw(block);
}

// A version 3 entry with the fields of a new node.
QByteArray v3Entry(const QString& text, qint32 count) {
    return StreamBytes()
        .int32(30 + 2 * text.size())
        .hex("00000000 00000000 FFFFFFFF FFFFFFFF 00000000 00000000")
        .int32(count)
        .bytes({1, int(text.size())})
        .utf16(text);
}

// A tree that a stream with a node block must replace.
void plant(TTreeNodes& items) {
    items.AddChild(items.Add(nullptr, "old"), "old child");
}

TEST(TreeStreamRead, OlderLayouts) {
    // clang-format off
    const struct {
        const char* what;
        QByteArray entries;
        const char* tree;
    } cases[] = {
        {"version 1: no expanded index, no enabled flag",
         binaryEntry("Items.NodeData", StreamBytes()
                                           .hex("01").int32(1)
                                           .int32(99) // size, not used
                                           .int32(1).int32(2).int32(3).int32(4).int32(5)
                                           .int32(1).bytes({3}).utf16("Top")
                                           .int32(0)
                                           .int32(0).int32(0).int32(-1).int32(-1).int32(0)
                                           .int32(0).bytes({5}).utf16("Child")),
         "Top [img 1 sel 2 state 3 ovl 4 exp -1 data 5 +]\n"
         "  Child [img 0 sel 0 state -1 ovl -1 exp -1 data 0]"},
        {"version 4: an 8-byte Data word",
         binaryEntry("Items.NodeData", StreamBytes()
                                           .hex("04").int32(1).int32(38)
                                           .int32(1).int32(2).int32(3).int32(4).int32(5)
                                           .hex("0700000009000000") // Data, low half first
                                           .int32(0).bytes({0, 2}).utf16("V4")),
         "V4 [img 1 sel 2 state 3 ovl 4 exp 5 data 7 disabled]"},
        {"Items.Data: 8-bit Cyrillic text, new-node expanded index and enabled flag",
         binaryEntry("Items.Data", StreamBytes()
                                       .int32(2)
                                       .int32(25 + 6)
                                       .int32(1).int32(2).int32(3).int32(4).int32(-7).int32(-1)
                                       .bytes({6}).hex("C7E0E4E0F7E8")
                                       .int32(25 + 2 + 3) // three unused bytes
                                       .int32(0).int32(0).int32(-1).int32(-1).int32(0).int32(0)
                                       .bytes({2}).raw("okXYZ")),
         "Задачи [img 1 sel 2 state 3 ovl 4 exp 0 data -7 +]\n"
         "ok [img 0 sel 0 state -1 ovl -1 exp 0 data 0]"},
        {"a record size that disagrees with TextLen, and bytes after the last entry",
         binaryEntry("Items.NodeData", StreamBytes()
                                           .hex("03").int32(1)
                                           .raw(v3Entry("x", 0).replace(0, 4, QByteArray("\x05\0\0\0", 4)))
                                           .hex("DEADBEEF")),
         "x [img 0 sel 0 state -1 ovl -1 exp 0 data 0]"},
        {"a root count of 0 still replaces the tree",
         binaryEntry("Items.NodeData", StreamBytes().hex("03").int32(0)), ""},
        {"a negative root count reads no node",
         binaryEntry("Items.NodeData",
                     StreamBytes().hex("03").int32(-3)),
         ""},
        {"a negative child count flags the node and reads no children",
         binaryEntry("Items.NodeData",
                     StreamBytes().hex("03").int32(2).raw(v3Entry("neg", -5)).raw(v3Entry("next", 0))),
         "neg [img 0 sel 0 state -1 ovl -1 exp 0 data 0 +]\n"
         "next [img 0 sel 0 state -1 ovl -1 exp 0 data 0]"},
    };
    // clang-format on
    for (const auto& c : cases) {
        TreeViewState view;
        TTreeNodes items;
        plant(items);
        EXPECT_EQ(readFromBytes(stream(c.entries), view, items), QString()) << c.what;
        EXPECT_EQ(describe(items), QString::fromUtf8(c.tree)) << c.what;
    }
}

TEST(TreeStreamRead, UnknownVersionsLeaveTheTreeEmptyAndReadingGoesOn) {
    for (const int version : {0, 2, 5, 7, 255}) {
        TreeViewState view;
        TTreeNodes items;
        plant(items);
        const QByteArray entries =
            StreamBytes()
                .raw(binaryEntry("Items.NodeData",
                                 StreamBytes().bytes({version}).int32(1).raw(v3Entry("lost", 0))))
                .shortString("Indent")
                .hex("02 07");
        EXPECT_EQ(readFromBytes(stream(entries), view, items), QString()) << version;
        EXPECT_EQ(items.Count(), 0) << version;
        EXPECT_EQ(view.Indent, 7) << version;
    }
}

TEST(TreeStreamRead, AStreamWithoutNodesKeepsTheTree) {
    TreeViewState view;
    TTreeNodes items;
    plant(items);
    const QString before = describe(items);
    EXPECT_EQ(readFromBytes(stream(StreamBytes().shortString("Indent").hex("02 07")), view, items),
              QString());
    EXPECT_EQ(describe(items), before);
}

TEST(TreeStreamRead, ValuesOfEveryAcceptedKind) {
    // clang-format off
    const QByteArray entries =
        StreamBytes()
            .shortString("left").hex("04").int32(-70000) // names ignore letter case
            .shortString("Top").hex("03 00 80")
            .shortString("ExplicitTop").hex("02 05")
            .shortString("Cursor").hex("02 EC")
            .shortString("DragCursor").hex("07").shortString("CRARROW")
            .shortString("Align").hex("07").shortString("alClient")
            .shortString("Font.Charset").hex("02 CC")
            .shortString("Font.Color").hex("04").int32(0x123456)
            .shortString("Font.Name").hex("06 05 D8 F0 E8 F4 F2") // Windows-1251
            .shortString("Font.Style").hex("0B").shortString("fsItalic").shortString("fsStrikeOut")
            .hex("00")
            .shortString("ParentFont").hex("07").shortString("true")
            .shortString("Visible").hex("08")
            // Further display options, read past by their tags.
            .shortString("ShowRoot").hex("08")
            .shortString("Color").hex("07").shortString("clWindow")
            .shortString("Hint").hex("12").int32(2).utf16("Хм")
            .shortString("Tag").hex("13 0102030405060708")
            .shortString("Font.Size").hex("05 00000000000000000000")
            .shortString("Anchors").hex("0B").shortString("akLeft").hex("00")
            .shortString("StyleElements").hex("01 02 01 01 07").shortString("x").hex("00 00")
            .shortString("Constraints.MinWidth").hex("0F 00000000")
            .shortString("Touch.GestureManager").hex("0D")
            .shortString("HelpKeyword").hex("0C").int32(3).raw("abc")
            .shortString("StyleName").hex("14").int32(2).raw("\xC3\xA9")
            .shortString("PopupMenu").hex("0E 02 00 01").shortString("Caption").hex("06 01 61")
            .hex("00 01 00 00")
            .shortString("OnClick").hex("0D")
            .shortString("Indent").hex("02 21");
    // clang-format on
    TreeViewState view;
    TTreeNodes items;
    ASSERT_EQ(readFromBytes(stream(entries), view, items), QString());
    TreeViewState expected;
    expected.bounds.Left = expected.explicitBounds.Left = -70000;
    expected.bounds.Top = -32768;
    expected.explicitBounds.Top = 5;
    expected.Cursor = -20;
    expected.DragCursor = -2;
    expected.Align = TAlign::alClient;
    expected.Font.Charset = 204;
    expected.Font.Color = 0x123456;
    expected.Font.Name = QStringLiteral("Шрифт");
    expected.Font.Style = fsItalic | fsStrikeOut;
    expected.ParentFont = true;
    expected.Visible = false;
    expected.Indent = 0x21;
    EXPECT_EQ(view, expected);
}

TEST(TreeStreamRead, AnObjectPrefixIsPassedOver) {
    for (const char* prefix : {"F0", "F1", "F2 02 07", "F6 03 0001", "F2 04 00000001"}) {
        const QByteArray bytes = StreamBytes()
                                     .raw("TPF0")
                                     .hex(prefix)
                                     .shortString("TTreeView")
                                     .shortString("TreeView1")
                                     .shortString("Indent")
                                     .hex("02 07 00 00");
        TreeViewState view;
        TTreeNodes items;
        EXPECT_EQ(readFromBytes(bytes, view, items), QString()) << prefix;
        EXPECT_EQ(view.Indent, 7) << prefix;
    }
}

TEST(TreeStreamRead, NothingAfterTheFinalZeroByteIsRead) {
    QByteArray bytes = stream(StreamBytes().shortString("Indent").hex("02 07"));
    const qsizetype end = bytes.size();
    bytes.append("trailing junk that is not a stream");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TreeViewState view;
    TTreeNodes items;
    ReadComponent(buffer, view, items);
    EXPECT_EQ(buffer.pos(), end);
}

// The strict reader, for a check that a file is sound: every layout reads whole, while bytes
// the ordinary reader passes over (after the last node of a block, a block of a layout it
// does not know, after the end of the stream) mean damage.
TEST(TreeStreamRead, TheStrictReaderRefusesLeftOverBytes) {
    const auto readWhole = [](QByteArray bytes) -> QString {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        TreeViewState view;
        TTreeNodes items;
        try {
            ReadComponentWhole(buffer, view, items);
        } catch (const Failure& failure) {
            return failure.message();
        }
        return {};
    };
    const QByteArray v3 = StreamBytes().hex("03").int32(1).raw(v3Entry("x", 0));
    const QByteArray itemsData = StreamBytes()
                                     .int32(1)
                                     .int32(25 + 2 + 3)
                                     .int32(0)
                                     .int32(0)
                                     .int32(-1)
                                     .int32(-1)
                                     .int32(0)
                                     .int32(0)
                                     .bytes({2})
                                     .raw("okXYZ");
    const QString leftOver =
        QStringLiteral("Error reading TreeView1.Items.NodeData: Invalid property value");
    const struct {
        const char* what;
        QByteArray bytes;
        QString failure;
    } cases[] = {
        {"version 3", stream(binaryEntry("Items.NodeData", v3)), {}},
        {"Items.Data, unused bytes inside an entry",
         stream(binaryEntry("Items.Data", itemsData)),
         {}},
        {"no node block", stream(StreamBytes().shortString("Indent").hex("02 07")), {}},
        {"bytes after the last node",
         stream(binaryEntry("Items.NodeData", StreamBytes().raw(v3).hex("DEADBEEF"))), leftOver},
        {"a layout not known",
         stream(
             binaryEntry("Items.NodeData", StreamBytes().hex("07").int32(1).raw(v3Entry("x", 0)))),
         leftOver},
        {"bytes after the stream", stream(binaryEntry("Items.NodeData", v3)) + "junk",
         QStringLiteral("Invalid stream format")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readWhole(c.bytes), c.failure) << c.what;
    }
}

TEST(TreeStreamRead, EveryFailureWithItsText) {
    const QByteArray header = treeViewHeader();
    const QByteArray nodeBlock = StreamBytes().hex("03").int32(2).raw(v3Entry("first", 0));
    const QByteArray deepList = QByteArray(200, '\x01') + QByteArray(200, '\0');
    // clang-format off
    const struct {
        const char* what;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"empty file", "", "Stream read error"},
        {"short signature", "TPF", "Stream read error"},
        {"other signature", "TPF1\x09TTreeView", "Invalid stream format"},
        {"header cut", QByteArray("TPF0\x09TTree"), "Stream read error"},
        {"entry name cut", header + "\x06Ind", "Stream read error"},
        {"no end of the child list", header + "\x06Indent\x02\x07" + QByteArray(1, '\0'),
         "Stream read error"},
        {"value cut", header + "\x05Width\x03\x01",
         "Error reading TreeView1.Width: Stream read error"},
        {"file ends inside the node block",
         header + StreamBytes().shortString("Items.NodeData").hex("0A").int32(100).raw("\x03"),
         "Error reading TreeView1.Items.NodeData: Stream read error"},
        {"node block shorter than its entries",
         stream(binaryEntry("Items.NodeData", nodeBlock)),
         "Error reading TreeView1.Items.NodeData: Stream read error"},
        {"empty node block", stream(binaryEntry("Items.NodeData", {})),
         "Error reading TreeView1.Items.NodeData: Stream read error"},
        {"negative binary length",
         stream(StreamBytes().shortString("Items.NodeData").hex("0A").int32(-1)),
         "Error reading TreeView1.Items.NodeData: Stream read error"},
        {"oversized binary length",
         stream(StreamBytes().shortString("Items.NodeData").hex("0A").int32(0x7FFFFFFF)),
         "Error reading TreeView1.Items.NodeData: Stream read error"},
        {"negative string length", stream(StreamBytes().shortString("Font.Name").hex("12 FFFFFF80")),
         "Error reading TreeView1.Font.Name: Stream read error"},
        {"integer property with a string",
         stream(StreamBytes().shortString("Left").hex("06 01 31")),
         "Error reading TreeView1.Left: Invalid property value"},
        {"boolean with an integer", stream(StreamBytes().shortString("Visible").hex("02 00")),
         "Error reading TreeView1.Visible: Invalid property value"},
        {"unknown alignment",
         stream(StreamBytes().shortString("Align").hex("07").shortString("alMiddle")),
         "Error reading TreeView1.Align: Invalid property value"},
        {"alignment from a boolean", stream(StreamBytes().shortString("Align").hex("08")),
         "Error reading TreeView1.Align: Invalid property value"},
        {"unknown cursor name",
         stream(StreamBytes().shortString("Cursor").hex("07").shortString("crPointy")),
         "Error reading TreeView1.Cursor: Invalid property value"},
        {"unknown style element",
         stream(StreamBytes().shortString("Font.Style").hex("0B").shortString("fsWavy").hex("00")),
         "Error reading TreeView1.Font.Style: Invalid property value"},
        {"node block as a string",
         stream(StreamBytes().shortString("Items.NodeData").hex("06 01 03")),
         "Error reading TreeView1.Items.NodeData: Invalid property value"},
        {"a value for a whole object", stream(StreamBytes().shortString("Font").hex("0D")),
         "Error reading TreeView1.Font: Invalid property value"},
        {"event binding", stream(StreamBytes().shortString("OnClick").hex("07").shortString("Go")),
         "Error reading TreeView1.OnClick: Invalid property value"},
        {"oversized wide string in a skipped option",
         stream(StreamBytes().shortString("Hint").hex("12 FFFFFF7F")),
         "Error reading TreeView1.Hint: Stream read error"},
        {"unknown tag", stream(StreamBytes().shortString("Hint").hex("16")),
         "Error reading TreeView1.Hint: Invalid property value"},
        {"lists nested too deep", stream(StreamBytes().shortString("Hint").raw(deepList)),
         "Error reading TreeView1.Hint: Invalid property value"},
        {"unknown property", stream(StreamBytes().shortString("Colour").hex("02 00")),
         "Error reading TreeView1.Colour: Property Colour does not exist"},
        {"unknown member of an object",
         stream(StreamBytes().shortString("Font.Weight").hex("02 00")),
         "Error reading TreeView1.Font.Weight: Property Weight does not exist"},
        {"unknown inner segment", stream(StreamBytes().shortString("Brush.Color").hex("02 00")),
         "Error reading TreeView1.Brush.Color: Property Brush.Color does not exist"},
        {"path through a value", stream(StreamBytes().shortString("Left.Value").hex("02 00")),
         "Error reading TreeView1.Left.Value: Invalid property path"},
        {"Items.Data entry over 280 bytes",
         stream(binaryEntry("Items.Data", StreamBytes().int32(1).int32(281).raw(QByteArray(281, 0)))),
         "Error reading TreeView1.Items.Data: Invalid property value"},
        {"Items.Data entry too small for its text",
         stream(binaryEntry("Items.Data",
                            StreamBytes().int32(1).int32(26).raw(QByteArray(24, 0)).bytes({2, 'a'}))),
         "Error reading TreeView1.Items.Data: Invalid property value"},
        {"another component name",
         StreamBytes().raw("TPF0").shortString("TTreeView").shortString("Tree")
             .shortString("Top").hex("06"),
         "Error reading Tree.Top: Invalid property value"},
    };
    // clang-format on
    for (const auto& c : cases) {
        TreeViewState view;
        TTreeNodes items;
        EXPECT_EQ(readFromBytes(c.bytes, view, items), QString::fromUtf8(c.message)) << c.what;
    }
}

TEST(TreeStreamRead, StopsAtTheFirstErrorAndKeepsWhatWasApplied) {
    const QByteArray nodeBlock = StreamBytes()
                                     .hex("03")
                                     .int32(3)
                                     .raw(v3Entry("one", 2))
                                     .raw(v3Entry("one.one", 0))
                                     .raw(v3Entry("one.two", 0).left(10));
    const QByteArray bytes = stream(StreamBytes()
                                        .shortString("Indent")
                                        .hex("02 07")
                                        .raw(binaryEntry("Items.NodeData", nodeBlock))
                                        .shortString("TabOrder")
                                        .hex("02 05"));
    TreeViewState view;
    TTreeNodes items;
    plant(items);
    EXPECT_EQ(readFromBytes(bytes, view, items),
              "Error reading TreeView1.Items.NodeData: Stream read error");
    EXPECT_EQ(view.Indent, 7);
    EXPECT_EQ(view.TabOrder, 0);
    // Emptied when decoding began; the nodes read whole stay, a cut one never appears.
    EXPECT_EQ(describe(items), "one [img 0 sel 0 state -1 ovl -1 exp 0 data 0 +]\n"
                               "  one.one [img 0 sel 0 state -1 ovl -1 exp 0 data 0]");

    // A bad signature changes nothing.
    TTreeNodes untouched;
    plant(untouched);
    TreeViewState same;
    EXPECT_EQ(readFromBytes("TPF1", same, untouched), "Invalid stream format");
    EXPECT_EQ(untouched.Count(), 2);
    EXPECT_EQ(same, TreeViewState{});
}

TEST(TreeStreamRead, DeepNestingAndFalseCountsAreSafe) {
    // A chain 100 000 nodes deep, each entry announcing one child.
    StreamBytes chain;
    chain.hex("03").int32(1);
    const int depth = 100'000;
    for (int i = 0; i < depth; ++i) {
        chain.raw(v3Entry("", i + 1 < depth ? 1 : 0));
    }
    TreeViewState view;
    TTreeNodes items;
    ASSERT_EQ(readFromBytes(stream(binaryEntry("Items.NodeData", chain)), view, items), QString());
    EXPECT_EQ(items.Count(), depth);
    const QByteArray again = writeToBytes(view, items);
    EXPECT_TRUE(again.contains(chain.data()));

    // Counts that promise far more entries than the bytes hold.
    const QByteArray liar = StreamBytes().hex("03").int32(0x7FFFFFFF).raw(v3Entry("a", 0x7FFFFFFF));
    EXPECT_EQ(readFromBytes(stream(binaryEntry("Items.NodeData", liar)), view, items),
              "Error reading TreeView1.Items.NodeData: Stream read error");
    EXPECT_EQ(items.Count(), 1);
}

// A device that cannot tell its size or seek, as a pipe: the node block is read whole
// before it is decoded, and what the tree gets is the same.
class PipeDevice : public QIODevice {
public:
    explicit PipeDevice(QByteArray bytes) : bytes_(std::move(bytes)) { open(ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 size) override {
        const qint64 part = std::min<qint64>(size, bytes_.size() - pos_);
        std::memcpy(data, bytes_.constData() + pos_, size_t(part));
        pos_ += part;
        return part;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 pos_ = 0;
};

TEST(TreeStreamRead, ASequentialDeviceGivesTheSameTree) {
    TTreeNodes items;
    for (int i = 0; i < 1000; ++i) {
        items.AddChild(items.Add(nullptr, QString(i % 200, QChar(0x0451))), "child");
    }
    TreeViewState view;
    view.explicitBounds.Height = 953;
    PipeDevice pipe(writeToBytes(view, items));
    TreeViewState viewBack;
    TTreeNodes back;
    ReadComponent(pipe, viewBack, back);
    EXPECT_EQ(describe(back), describe(items));
    EXPECT_EQ(viewBack, view);
    EXPECT_TRUE(pipe.atEnd());
}

// A file that another program cuts while it is being read: its size promised the whole node
// block, the bytes stop coming half way. Reading fails as for any block that ends too early,
// and the nodes read whole before the cut stay.
class FileCutWhileRead : public QIODevice {
public:
    FileCutWhileRead(QByteArray bytes, qint64 cutAt) : bytes_(std::move(bytes)), cutAt_(cutAt) {
        open(ReadOnly | Unbuffered);
    }
    qint64 size() const override { return bytes_.size(); }

protected:
    qint64 readData(char* data, qint64 size) override {
        const qint64 part = std::max<qint64>(0, std::min(size, cutAt_ - pos()));
        std::memcpy(data, bytes_.constData() + pos(), size_t(part));
        return part;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 cutAt_;
};

TEST(TreeStreamRead, AFileCutWhileItIsReadKeepsTheNodesReadBeforeTheCut) {
    TTreeNodes items;
    for (int i = 0; i < 20000; ++i) {
        items.Add(nullptr, QString::number(i));
    }
    const QByteArray bytes = writeToBytes(TreeViewState{}, items);
    const qint64 cut = bytes.size() / 2; // far beyond the first piece the reader takes
    FileCutWhileRead file(bytes, cut);
    TreeViewState view;
    TTreeNodes back;
    plant(back);
    try {
        ReadComponent(file, view, back);
        ADD_FAILURE() << "a cut file was read";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.message(), "Error reading TreeView1.Items.NodeData: Stream read error");
    }
    ASSERT_GT(back.Count(), 1000);
    ASSERT_LT(back.Count(), 20000);
    for (int i = 0; i < back.TopCount(); ++i) {
        ASSERT_EQ(back.TopItem(i)->Text(), QString::number(i));
    }
}

} // namespace
