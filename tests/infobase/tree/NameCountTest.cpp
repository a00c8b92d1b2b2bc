#include "TreeTestSupport.h"
#include "infobase/tree/BranchNames.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <vector>

using namespace infobase;

namespace {

const QStringList kNames = {"a", "b", "c", "d", QStringLiteral("ё"), ""};

int walkedCount(const TTreeNodes& items, const QString& name) {
    int count = 0;
    for (const TTreeNode* node = items.getFirstNode(); node; node = node->GetNext()) {
        count += node->Text() == name ? 1 : 0;
    }
    return count;
}

std::vector<TTreeNode*> allNodes(const TTreeNodes& items) {
    std::vector<TTreeNode*> nodes;
    for (TTreeNode* node = items.getFirstNode(); node; node = node->GetNext()) {
        nodes.push_back(node);
    }
    return nodes;
}

// The counts stay those of a walk through every kind of change, whether they were first
// asked for before the changes (and then kept in step), counted off the thread part way
// (with the changes made meanwhile added) or counted after the changes.
TEST(NameCount, AgreesWithAWalkAfterEveryChange) {
    enum Start { AskedFirst, PreparedPartWay, AskedLast };
    for (const Start start : {AskedFirst, PreparedPartWay, AskedLast}) {
        const bool askedFirst = start == AskedFirst;
        QRandomGenerator random(7 + start);
        TTreeNodes items;
        if (askedFirst) {
            EXPECT_EQ(items.NameCount("a"), 0);
        }
        const auto pickName = [&] { return kNames[random.bounded(int(kNames.size()))]; };
        for (int step = 0; step < 400; ++step) {
            const std::vector<TTreeNode*> nodes = allNodes(items);
            TTreeNode* some = nodes.empty() ? nullptr : nodes[random.bounded(int(nodes.size()))];
            switch (random.bounded(7)) {
            case 0:
            case 1:
                items.Add(some, pickName());
                break;
            case 2:
            case 3:
                items.AddChild(some, pickName());
                break;
            case 4:
                if (some) {
                    items.setText(some, pickName());
                }
                break;
            case 5:
                if (some) {
                    items.Delete(some); // with its whole sub-tree
                }
                break;
            case 6:
                if (some && random.bounded(10) == 0) {
                    TreeViewState view;
                    const QByteArray file = writeToBytes(view, items);
                    items.Clear();
                    ASSERT_EQ(readFromBytes(file, view, items), QString());
                } else if (some) {
                    items.Move(some, nullptr, 0);
                }
                break;
            }
            if (start == PreparedPartWay && step == 200) {
                items.prepareNameCounts();
            }
            if (askedFirst || step == 399) {
                for (const QString& name : kNames) {
                    ASSERT_EQ(items.NameCount(name), walkedCount(items, name))
                        << "step " << step << " name " << name.toStdString();
                }
            }
        }
    }
}

// The count made off the thread takes in what changed while it ran.
TEST(NameCount, ACountPreparedOffTheThreadTakesInTheChangesMadeMeanwhile) {
    TTreeNodes items;
    TTreeNode* parent = items.Add(nullptr, "p");
    for (int i = 0; i < 20000; ++i) {
        items.AddChild(parent, QString::number(i % 1000));
    }
    items.prepareNameCounts();
    items.AddChild(parent, "новая");
    items.setText(parent->Item(0), "новая"); // was "0"
    items.Delete(parent->Item(1));           // was "1"
    EXPECT_EQ(items.NameCount("новая"), 2);
    EXPECT_EQ(items.NameCount("0"), 19);
    EXPECT_EQ(items.NameCount("1"), 19);
    EXPECT_EQ(items.NameCount("2"), 20);
    EXPECT_EQ(items.NameCount("p"), 1);
    items.Delete(parent);
    EXPECT_EQ(items.NameCount("2"), 0);
    EXPECT_EQ(items.NameCount("новая"), 0);
}

TEST(NameCount, ANameIsTakenOnlyByAnotherNode) {
    TTreeNodes items;
    TTreeNode* first = items.Add(nullptr, "x");
    TTreeNode* child = items.AddChild(first, "y");
    EXPECT_FALSE(nameTakenByOther(items, "x", first));
    EXPECT_TRUE(nameTakenByOther(items, "x", child));
    EXPECT_TRUE(nameTakenByOther(items, "x", nullptr));
    EXPECT_FALSE(nameTakenByOther(items, "z", nullptr));
    items.Add(nullptr, "x");
    EXPECT_TRUE(nameTakenByOther(items, "x", first));
    items.Clear();
    EXPECT_FALSE(nameTakenByOther(items, "x", nullptr));
}

} // namespace
