#include "StreamBytes.h"
#include "TreeTestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace infobase;

namespace {

// Node blocks taken from form files that other programs wrote, read in place from the shared
// fixtures folder: QUORLENT_FIXTURES when it is set, else the folder the build knows.
QString fixtureFolder() {
    QString root = qEnvironmentVariable("QUORLENT_FIXTURES");
    if (root.isEmpty()) {
        root = QStringLiteral(QUORLENT_FIXTURES_FOLDER);
    }
    return root + QStringLiteral("/real-nodedata/");
}

QString fixturePath(const char* file) {
    return fixtureFolder() + QString::fromLatin1(file);
}

// The fixtures live beside the project, not in it: a checkout on its own has none to read.
class TreeRealData : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDir(fixtureFolder()).exists()) {
            GTEST_SKIP() << "no real node blocks at " << fixtureFolder().toStdString();
        }
    }
};

QByteArray streamWithBlock(const char* property, const QByteArray& block) {
    return StreamBytes()
        .raw(treeViewHeader())
        .shortString(property)
        .hex("0A")
        .int32(static_cast<qint32>(block.size()))
        .raw(block)
        .shortString("Indent")
        .hex("02 07 00 00");
}

// Calls fn for every node, parents before children.
template <typename Fn> void forEachNode(const TTreeNodes& items, Fn fn) {
    const auto visit = [&](const auto& self, const TTreeNode* node) -> void {
        fn(*node);
        for (int i = 0; i < node->Count(); ++i) {
            self(self, node->Item(i));
        }
    };
    for (int i = 0; i < items.TopCount(); ++i) {
        visit(visit, items.TopItem(i));
    }
}

int depthOf(const TTreeNodes& items) {
    int depth = 0;
    forEachNode(items, [&](const TTreeNode& n) { depth = std::max(depth, n.Level()); });
    return depth;
}

TEST_F(TreeRealData, EveryBlockReadsAsItsWriterMeantIt) {
    const struct {
        const char* file;
        const char* property;
        int roots, nodes, depth;
        const char* firstText;
    } cases[] = {
        {"01-v3.bin", "Items.NodeData", 7, 8, 1, "Interface"},
        {"02-v3.bin", "Items.NodeData", 3, 11, 1, "Stardata"},
        {"03-v3.bin", "Items.NodeData", 2, 2, 0, "Solutions"},
        {"04-v3.bin", "Items.NodeData", 19, 67, 1, "Behaviours"},
        {"05-v3.bin", "Items.NodeData", 2, 3, 1, "Введение в HTML"},
        {"06-v3.bin", "Items.NodeData", 4, 13, 1, "材料入库"},
        {"07-v3.bin", "Items.NodeData", 1, 4, 1, "退货给供应商"},
        {"08-v3.bin", "Items.NodeData", 3, 4, 1, "122"},
        {"09-v1.bin", "Items.NodeData", 4, 9, 1, "Multimedia"},
        {"10-v1.bin", "Items.NodeData", 2, 7, 1, "Application"},
        {"11-v1.bin", "Items.NodeData", 3, 7, 1, "a"},
        {"12-vdata.bin", "Items.Data", 5, 19, 2, "Chart"},
        {"13-vdata.bin", "Items.Data", 8, 30, 3, "1- Date/Time"},
        {"14-vdata.bin", "Items.Data", 1, 22, 3, "Workspace 'MyApp': 1 project(s)"},
        {"15-vdata.bin", "Items.Data", 29, 64, 1, "Contrast"},
        {"16-vdata.bin", "Items.Data", 10, 65, 2, "Environment"},
        {"17-vdata.bin", "Items.Data", 1, 5, 1, "Задачи"},
        // 8-bit Chinese text: the node count holds, the text comes out as Windows-1251.
        {"18-vdata.bin", "Items.Data", 1, 7, 1, nullptr},
        {"19-vdata.bin", "Items.Data", 1, 3, 1, nullptr},
        {"20-vdata.bin", "Items.Data", 1, 1, 0, "Survey"},
        {"21-vdata.bin", "Items.Data", 2, 5, 3, "Book1"},
        // A version this reader does not decode: the tree stays empty, without an error.
        {"22-v7.bin", "Items.NodeData", 0, 0, 0, nullptr},
        {"23-v7.bin", "Items.NodeData", 0, 0, 0, nullptr},
        // Another writer's layout: its first word reads as a negative root count.
        {"24-vdata.bin", "Items.Data", 0, 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        QFile file(fixturePath(c.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.file;
        const QByteArray block = file.readAll();
        TreeViewState view;
        TTreeNodes items;
        items.Add(nullptr, "planted");
        EXPECT_EQ(readFromBytes(streamWithBlock(c.property, block), view, items), QString())
            << c.file;
        EXPECT_EQ(view.Indent, 7) << c.file << ": reading went on after the block";
        EXPECT_EQ(items.TopCount(), c.roots) << c.file;
        EXPECT_EQ(items.Count(), c.nodes) << c.file;
        EXPECT_EQ(depthOf(items), c.depth) << c.file;
        if (c.firstText) {
            EXPECT_EQ(items.TopItem(0)->Text(), QString::fromUtf8(c.firstText)) << c.file;
        }
    }
}

// What real writers put into the fields is kept as it is, and a version 3 block written
// again gives the same bytes.
TEST_F(TreeRealData, Version3BlocksComeBackByteForByte) {
    for (const char* name : {"01-v3.bin", "02-v3.bin", "03-v3.bin", "04-v3.bin", "05-v3.bin",
                             "06-v3.bin", "07-v3.bin", "08-v3.bin"}) {
        QFile file(fixturePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray block = file.readAll();
        TreeViewState view;
        TTreeNodes items;
        ASSERT_EQ(readFromBytes(streamWithBlock("Items.NodeData", block), view, items), QString())
            << name;
        const QByteArray written = writeToBytes(view, items);
        const QByteArray entry = StreamBytes()
                                     .shortString("Items.NodeData")
                                     .hex("0A")
                                     .int32(static_cast<qint32>(block.size()))
                                     .raw(block);
        EXPECT_TRUE(written.contains(entry)) << name;
    }
}

TEST_F(TreeRealData, FieldsAsRealWritersLeftThem) {
    const auto load = [](const char* name, const char* property, TTreeNodes& items) {
        QFile file(fixturePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        TreeViewState view;
        ASSERT_EQ(readFromBytes(streamWithBlock(property, file.readAll()), view, items), QString());
    };
    const auto any = [](const TTreeNodes& items, auto predicate) {
        bool found = false;
        forEachNode(items, [&](const TTreeNode& n) { found = found || predicate(n); });
        return found;
    };
    TTreeNodes disabled, withData, withJunk, version1;
    load("07-v3.bin", "Items.NodeData", disabled);
    load("16-vdata.bin", "Items.Data", withData);
    load("13-vdata.bin", "Items.Data", withJunk);
    load("09-v1.bin", "Items.NodeData", version1);
    EXPECT_TRUE(any(disabled, [](const TTreeNode& n) { return !n.Enabled; }));
    EXPECT_TRUE(any(withData, [](const TTreeNode& n) { return n.Data != 0; }));
    EXPECT_TRUE(any(withJunk, [](const TTreeNode& n) { return n.StateIndex != -1; }));
    // Version 1 records have no expanded index: every node takes -1.
    EXPECT_FALSE(any(version1, [](const TTreeNode& n) { return n.ExpandedImageIndex != -1; }));
    EXPECT_TRUE(any(version1, [](const TTreeNode& n) { return n.StateIndex == 1; }));
}

} // namespace
