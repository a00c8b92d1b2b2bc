#include "StreamBytes.h"
#include "TreeTestSupport.h"
#include "common/Failure.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <vector>

using namespace infobase;

namespace {

// The view's entries as the program writes them, typed from the format's description: every
// entry up to and including "TabOrder" (253 bytes).
// clang-format off
QByteArray designedViewEntries() {
    return StreamBytes()
        .raw("TPF0")
        .hex("09").raw("TTreeView")
        .hex("09").raw("TreeView1")
        .hex("04").raw("Left").hex("02 00")
        .hex("03").raw("Top").hex("02 00")
        .hex("05").raw("Width").hex("03 C9 01")
        .hex("06").raw("Height").hex("03 DC 02")
        .hex("06").raw("Cursor").hex("07 0B").raw("crHandPoint")
        .hex("05").raw("Align").hex("07 06").raw("alLeft")
        .hex("0A").raw("DragCursor").hex("07 0B").raw("crHandPoint")
        .hex("0C").raw("Font.Charset").hex("07 0F").raw("DEFAULT_CHARSET")
        .hex("0A").raw("Font.Color").hex("07 0C").raw("clWindowText")
        .hex("0B").raw("Font.Height").hex("02 ED")
        .hex("09").raw("Font.Name").hex("06 06").raw("Tahoma")
        .hex("0A").raw("Font.Style").hex("0B 06").raw("fsBold").hex("00")
        .hex("06").raw("Indent").hex("02 13")
        .hex("0A").raw("ParentFont").hex("08")
        .hex("08").raw("TabOrder").hex("02 00");
}

// ImageIndex 0, SelectedIndex 0, StateIndex −1, OverlayIndex −1, ExpandedIndex 0, Data 0.
constexpr const char* kNewNodeFields =
    "00000000 00000000 FFFFFFFF FFFFFFFF 00000000 00000000";

QByteArray workedExample() {
    return StreamBytes()
        .raw(designedViewEntries())
        .hex("0E").raw("Items.NodeData").hex("0A 87000000")
        .hex("03")
        .hex("02000000")
        .hex("28000000").hex(kNewNodeFields).hex("01000000 01 05")
        .hex("41006C00700068006100")
        .hex("28000000").hex(kNewNodeFields).hex("00000000 01 05")
        .hex("470061006D006D006100")
        .hex("26000000").hex(kNewNodeFields).hex("00000000 01 04")
        .hex("4200650074006100")
        .hex("00 00");
}
// clang-format on

TEST(TreeStreamWrite, WorkedExampleByteForByteAndBack) {
    TTreeNodes items;
    TTreeNode* alpha = items.Add(nullptr, "Alpha");
    items.AddChild(alpha, "Gamma");
    items.Add(alpha, "Beta");

    const QByteArray expected = workedExample();
    ASSERT_EQ(expected.size(), 410);
    EXPECT_EQ(writeToBytes(TreeViewState{}, items).toHex(' '), expected.toHex(' '));

    TreeViewState view;
    TTreeNodes back;
    ASSERT_EQ(readFromBytes(expected, view, back), QString());
    EXPECT_EQ(describe(back), describe(items));
    EXPECT_EQ(view, TreeViewState{});
}

TEST(TreeStreamWrite, EmptyTreeAtDesignedAndOtherClientHeights) {
    const TTreeNodes empty;
    const QByteArray designed = StreamBytes().raw(designedViewEntries()).hex("00 00");
    ASSERT_EQ(designed.size(), 255);
    EXPECT_EQ(writeToBytes(TreeViewState{}, empty).toHex(' '), designed.toHex(' '));
    {
        // Read back into a view whose written settings are all elsewhere.
        TreeViewState back;
        back.bounds = back.explicitBounds = {1, 2, 3, 4};
        back.Cursor = back.DragCursor = crDefault;
        back.Align = TAlign::alNone;
        back.Font = {0, 0, 8, QString(), 0};
        back.Indent = back.TabOrder = 5;
        back.ParentFont = true;
        TTreeNodes none;
        ASSERT_EQ(readFromBytes(designed, back, none), QString());
        EXPECT_EQ(back, TreeViewState{});
        EXPECT_EQ(none.Count(), 0);
    }

    QByteArray maximised = designedViewEntries();
    maximised.replace(QByteArray("\x06Height\x03\xDC\x02"), QByteArray("\x06Height\x03\xB9\x03"));
    maximised =
        StreamBytes().raw(maximised).hex("0E").raw("ExplicitHeight").hex("03 DC 02").hex("00 00");
    ASSERT_EQ(maximised.size(), 273);
    TreeViewState view;
    view.alignWithin(1920, 953);
    EXPECT_EQ(writeToBytes(view, empty).toHex(' '), maximised.toHex(' '));

    // Read back, the stream gives the view its explicit height; aligning it again in the
    // maximised window gives the same bytes.
    TreeViewState reread;
    TTreeNodes nodes;
    ASSERT_EQ(readFromBytes(maximised, reread, nodes), QString());
    EXPECT_EQ(reread.explicitBounds, TreeViewState::kDesignedBounds);
    reread.alignWithin(1920, 953);
    EXPECT_EQ(reread, view);
}

// The value bytes of the "Indent" entry for a given indent.
QByteArray indentValue(qint32 indent) {
    TreeViewState view;
    view.Indent = indent;
    const QByteArray bytes = writeToBytes(view, TTreeNodes{});
    const qsizetype at = bytes.indexOf("\x06Indent") + 7;
    return bytes.mid(at, bytes.indexOf("\x0AParentFont") - at);
}

TEST(TreeStreamWrite, IntegersTakeTheSmallestTag) {
    const struct {
        qint32 value;
        const char* bytes;
    } cases[] = {
        {0, "02 00"},
        {127, "02 7f"},
        {-128, "02 80"},
        {128, "03 80 00"},
        {-129, "03 7f ff"},
        {32767, "03 ff 7f"},
        {-32768, "03 00 80"},
        {32768, "04 00 80 00 00"},
        {-32769, "04 ff 7f ff ff"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(indentValue(c.value).toHex(' '), QByteArray(c.bytes)) << c.value;
    }
}

// The value bytes of "Font.Name" for a given name.
QByteArray fontNameValue(const QString& name) {
    TreeViewState view;
    view.Font.Name = name;
    const QByteArray bytes = writeToBytes(view, TTreeNodes{});
    const qsizetype at = bytes.indexOf("\x09"
                                       "Font.Name");
    if (at < 0) {
        return "absent";
    }
    const qsizetype value = at + 10;
    return bytes.mid(value, bytes.indexOf("\x0A"
                                          "Font.Style") -
                                value);
}

TEST(TreeStreamWrite, StringsTakeTheirKindFromTheirSizes) {
    EXPECT_EQ(fontNameValue("Tahoma").toHex(' '), "06 06 54 61 68 6f 6d 61");
    EXPECT_EQ(fontNameValue(""), "absent"); // the default is written as nothing
    // Long plain text: an 8-bit long string.
    EXPECT_EQ(fontNameValue(QString(256, 'a')).left(5).toHex(' '), "0c 00 01 00 00");
    // Mostly Latin with an accent: UTF-8 is shorter than UTF-16.
    EXPECT_EQ(fontNameValue(QStringLiteral("Café")).toHex(' '), "14 05 00 00 00 43 61 66 c3 a9");
    // Cyrillic takes two UTF-8 bytes a character: wide text.
    EXPECT_EQ(fontNameValue(QStringLiteral("Шрифт")).left(5).toHex(' '), "12 05 00 00 00");
    EXPECT_EQ(fontNameValue(QStringLiteral("Шрифт")).size(), 5 + 10);
}

TEST(TreeStreamWrite, TextsAreCutAt255CodeUnits) {
    const struct {
        int length;
        int written;
    } cases[] = {{0, 0}, {255, 255}, {300, 255}};
    for (const auto& c : cases) {
        TTreeNodes items;
        items.Add(nullptr, QString(c.length, QChar(0x0416)));
        const QByteArray bytes = writeToBytes(TreeViewState{}, items);
        const qsizetype block = bytes.indexOf("Items.NodeData") + 14 + 5;
        const qsizetype entry = block + 5;
        EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + entry), 30 + 2 * c.written);
        EXPECT_EQ(quint8(bytes[entry + 4 + 29]), c.written);

        TreeViewState view;
        TTreeNodes back;
        ASSERT_EQ(readFromBytes(bytes, view, back), QString());
        EXPECT_EQ(back.TopItem(0)->Text(), QString(c.written, QChar(0x0416)));
    }
    // The cut counts code units: a surrogate pair at the edge is split.
    TTreeNodes items;
    items.Add(nullptr, QString(254, 'x') + QStringLiteral("\U0001F600"));
    TreeViewState view;
    TTreeNodes back;
    ASSERT_EQ(readFromBytes(writeToBytes(view, items), view, back), QString());
    EXPECT_EQ(back.TopItem(0)->Text(), items.TopItem(0)->Text().left(255));
}

TEST(TreeStreamWrite, FieldsFlagsAndChildlessHasChildrenSurviveTheRoundTrip) {
    TTreeNodes items;
    TTreeNode* flagged = items.Add(nullptr, "flagged");
    items.setHasChildren(flagged, true);
    TTreeNode* odd = items.AddChild(flagged, "odd");
    items.Delete(odd); // clears the flag again
    items.setHasChildren(flagged, true);
    TTreeNode* fields = items.Add(nullptr, QString());
    fields->ImageIndex = 70000;
    fields->SelectedIndex = -5;
    fields->StateIndex = 3;
    fields->OverlayIndex = 1;
    fields->ExpandedImageIndex = -1;
    fields->Data = qint32(0xDEADBEEF);
    fields->Enabled = false;

    const QByteArray bytes = writeToBytes(TreeViewState{}, items);
    EXPECT_TRUE(bytes.contains(StreamBytes().hex("FFFFFFFF 01 07").utf16("flagged").data()));
    TreeViewState view;
    TTreeNodes back;
    ASSERT_EQ(readFromBytes(bytes, view, back), QString());
    EXPECT_EQ(describe(back), describe(items));
    EXPECT_TRUE(back.TopItem(0)->HasChildren());
    EXPECT_EQ(back.TopItem(0)->Count(), 0);
    EXPECT_EQ(writeToBytes(view, back), bytes);
}

TEST(TreeStreamWrite, ViewSettingsAwayFromTheirDefaults) {
    TreeViewState view;
    view.Cursor = crDefault;
    view.Align = TAlign::alNone;
    view.DragCursor = -5; // a cursor without a name
    view.ParentFont = true;
    view.TabOrder = -1;
    view.Visible = false;
    // clang-format off
    const QByteArray expected = StreamBytes()
                                    .raw("TPF0")
                                    .hex("09").raw("TTreeView")
                                    .hex("09").raw("TreeView1")
                                    .hex("04").raw("Left").hex("02 00")
                                    .hex("03").raw("Top").hex("02 00")
                                    .hex("05").raw("Width").hex("03 C9 01")
                                    .hex("06").raw("Height").hex("03 DC 02")
                                    .hex("0A").raw("DragCursor").hex("02 FB")
                                    .hex("06").raw("Indent").hex("02 13")
                                    .hex("07").raw("Visible").hex("08")
                                    .hex("00 00");
    // clang-format on
    EXPECT_EQ(writeToBytes(view, TTreeNodes{}).toHex(' '), expected.toHex(' '));

    // Absent entries keep the view's values; the written ones are applied.
    TreeViewState back = view;
    back.DragCursor = crHandPoint;
    back.Indent = 5;
    back.Visible = true;
    back.bounds.Height = 1;
    TTreeNodes items;
    ASSERT_EQ(readFromBytes(expected, back, items), QString());
    EXPECT_EQ(back, view);
}

// A device that takes a fixed number of bytes and then refuses.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }
    QList<qint64> writes;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        writes.append(size);
        const qint64 taken = std::min(size, room_);
        room_ -= taken;
        return taken == 0 ? -1 : taken;
    }

private:
    qint64 room_;
};

TEST(TreeStreamWrite, GoesOutIn4096ByteBlocksAndReportsAShortWrite) {
    TTreeNodes items;
    for (int i = 0; i < 200; ++i) {
        items.Add(nullptr, QString(40, 'n'));
    }
    const qint64 total = writeToBytes(TreeViewState{}, items).size();
    ASSERT_GT(total, 3 * 4096);

    FullDevice roomy(total);
    WriteComponent(roomy, TreeViewState{}, items);
    QList<qint64> expected(total / 4096, 4096);
    expected.append(total % 4096);
    EXPECT_EQ(roomy.writes, expected);

    for (const qint64 room : {qint64(0), qint64(5000), total - 1}) {
        FullDevice full(room);
        try {
            WriteComponent(full, TreeViewState{}, items);
            ADD_FAILURE() << "no failure with room for " << room << " bytes";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.message(), "Stream write error");
        }
    }
}

// The file written as if a node were deleted is, byte for byte, the file of the tree once it
// is: for every node of a tree with several levels, leaves among them, a parent losing its
// last child, and a childless branch that shows the expand button.
TEST(WriteComponentWithout, IsTheFileOfTheTreeWithTheNodeDeleted) {
    infobase::TTreeNodes items;
    infobase::TTreeNode* a = items.Add(nullptr, "a");
    infobase::TTreeNode* b = items.AddChild(a, "b");
    items.AddChild(b, "c");
    items.AddChild(a, "d");
    items.setHasChildren(items.AddChild(a, "e"), true);
    items.AddChild(items.Add(nullptr, "f"), "g");
    items.Add(nullptr, "h");
    infobase::TreeViewState view;
    view.Indent = 23;
    const QByteArray whole = writeToBytes(view, items);
    std::vector<infobase::TTreeNode*> nodes;
    for (infobase::TTreeNode* node = items.getFirstNode(); node; node = node->GetNext()) {
        nodes.push_back(node);
    }
    for (const infobase::TTreeNode* node : nodes) {
        QByteArray without;
        QBuffer buffer(&without);
        buffer.open(QIODevice::WriteOnly);
        infobase::WriteComponentWithout(buffer, view, items, node);

        infobase::TTreeNodes copy;
        infobase::TreeViewState copyView;
        ASSERT_EQ(readFromBytes(whole, copyView, copy), QString());
        copy.Delete(infobase::nodeAtPositions(copy, infobase::positionsOf(node)));
        EXPECT_EQ(without, writeToBytes(copyView, copy)) << node->Text().toStdString();
    }
    QByteArray unchanged;
    QBuffer buffer(&unchanged);
    buffer.open(QIODevice::WriteOnly);
    infobase::WriteComponentWithout(buffer, view, items, nullptr);
    EXPECT_EQ(unchanged, whole);
}

} // namespace
