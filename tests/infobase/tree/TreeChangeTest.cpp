#include "infobase/tree/TreeChange.h"

#include "TreeTestSupport.h"
#include "common/Failure.h"
#include "infobase/wholefile/TreeJournal.h"

#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace infobase;

namespace {

struct Recorded : TreeChangeRecorder {
    std::vector<std::pair<TreeChange, TreeChange>> changes;
    void treeChanged(TreeChange forward, TreeChange inverse) override {
        changes.emplace_back(std::move(forward), std::move(inverse));
    }
};

std::vector<TTreeNode*> allNodes(const TTreeNodes& items) {
    std::vector<TTreeNode*> nodes;
    for (TTreeNode* node = items.getFirstNode(); node; node = node->GetNext()) {
        nodes.push_back(node);
    }
    return nodes;
}

void readInto(const QByteArray& bytes, TTreeNodes& items) {
    TreeViewState view;
    ASSERT_EQ(readFromBytes(bytes, view, items), QString());
}

// Every kind of change the commands make, at random places of a random tree in which a branch
// without children may show an expand button (as a tree file may hold it).
void changeAtRandom(TTreeNodes& items, QRandomGenerator& random) {
    const std::vector<TTreeNode*> nodes = allNodes(items);
    TTreeNode* some = nodes.empty() ? nullptr : nodes[random.bounded(int(nodes.size()))];
    TTreeNode* other = nodes.empty() ? nullptr : nodes[random.bounded(int(nodes.size()))];
    const QString name = QStringLiteral("ветка %1").arg(random.bounded(1000));
    switch (random.bounded(8)) {
    case 0:
        items.Add(some, name);
        return;
    case 1:
        items.AddChild(some, name);
        return;
    case 2:
        if (some) {
            items.Delete(some);
        }
        return;
    case 3:
        if (some) {
            items.setText(some, name);
        }
        return;
    case 4:
        // Only where the tree file can hold it: a node with children always shows the button.
        if (some && some->Count() == 0) {
            items.setHasChildren(some, !some->HasChildren());
        }
        return;
    case 5:
    case 6:
        if (some) {
            items.Move(some, random.bounded(4) == 0 ? nullptr : other, random.bounded(-1, 5));
        }
        return;
    case 7: {
        TTreeNode* parent = some ? some->Parent() : nullptr;
        std::vector<TTreeNode*> order;
        for (int i = 0; i < (parent ? parent->Count() : items.TopCount()); ++i) {
            order.push_back(parent ? parent->Item(i) : items.TopItem(i));
        }
        std::shuffle(order.begin(), order.end(), random);
        items.Reorder(parent, order);
        return;
    }
    }
}

// The changes told while a tree changes, carried out on the tree as it was, give the same
// tree file; their inverses, carried out backwards on the changed tree, give the first one.
TEST(TreeChange, ReplayedChangesGiveTheSameFileAndTheirInversesTheFirst) {
    for (quint32 seed = 1; seed <= 300; ++seed) {
        QRandomGenerator random(seed);
        TTreeNodes items;
        for (int i = 0; i < 30; ++i) {
            changeAtRandom(items, random);
        }
        const QByteArray first = writeToBytes(TreeViewState{}, items);
        Recorded recorded;
        items.addRecorder(&recorded);
        for (int i = 0; i < 60; ++i) {
            changeAtRandom(items, random);
        }
        items.removeRecorder(&recorded);
        const QByteArray last = writeToBytes(TreeViewState{}, items);

        // Replayed as the base keeps them.
        std::vector<infobase::TreeChange> forwards;
        for (const auto& [forward, inverse] : recorded.changes) {
            forwards.push_back(forward);
        }
        const infobase::tree_journal::Entry kept = infobase::tree_journal::decode(
            7, infobase::tree_journal::encode(TreeViewState{}, forwards));
        ASSERT_EQ(kept.changes, forwards);
        TTreeNodes replayed;
        readInto(first, replayed);
        for (const infobase::TreeChange& change : kept.changes) {
            applyTreeChange(replayed, change);
        }
        EXPECT_EQ(writeToBytes(TreeViewState{}, replayed), last) << "seed " << seed;
        EXPECT_EQ(describe(replayed), describe(items)) << "seed " << seed;

        for (auto change = recorded.changes.rbegin(); change != recorded.changes.rend(); ++change) {
            applyTreeChange(items, change->second);
        }
        EXPECT_EQ(writeToBytes(TreeViewState{}, items), first) << "seed " << seed;
    }
}

// A deleted sub-tree comes back whole, every field the file keeps included.
TEST(TreeChange, ADeletedSubtreeComesBackWithEveryField) {
    TTreeNodes items;
    TTreeNode* top = items.Add(nullptr, "top");
    TTreeNode* child = items.AddChild(top, "child");
    items.AddChild(child, "grandchild")->Data = 42;
    child->ImageIndex = 3;
    child->Enabled = false;
    items.Add(nullptr, "after");
    const QString before = describe(items);
    Recorded recorded;
    items.addRecorder(&recorded);
    items.Delete(top);
    ASSERT_EQ(recorded.changes.size(), 1u);
    // Not recorded again: the change carried out is one of the recorded ones.
    items.removeRecorder(&recorded);
    applyTreeChange(items, recorded.changes[0].second);
    EXPECT_EQ(describe(items), before);
}

TEST(TreeChange, AChangeThatDoesNotFitIsRefusedAndChangesNothing) {
    TTreeNodes items;
    items.AddChild(items.Add(nullptr, "a"), "b");
    const QString before = describe(items);
    const auto named = [](const char* text, int depth = 0) {
        NodeFields fields;
        fields.text = text;
        fields.depth = depth;
        return fields;
    };
    const std::vector<TreeChange> misfits = {
        deleteChange({5}),
        deleteChange({}),
        renameChange({0, 1}, "x"),
        insertChange({0, 3}, {named("x")}),
        insertChange({0}, {named("x", 1)}),
        insertChange({1}, {named("x"), named("y", 2)}),
        moveChange({0}, {0, 0}, 0),
        moveChange({0, 0}, {}, 2),
        reorderChange({}, {0, 0}),
        reorderChange({0}, {1}),
    };
    for (const TreeChange& misfit : misfits) {
        EXPECT_THROW(applyTreeChange(items, misfit), Failure) << int(misfit.kind);
        EXPECT_EQ(describe(items), before);
    }
}

// An entry kept in the base comes back whole, view state included; damaged bytes (cut short at
// any point, or a count larger than the bytes) are refused, never misread.
TEST(TreeChange, AKeptEntryComesBackWholeAndDamagedOnesAreRefused) {
    TreeViewState view;
    view.bounds = {1, 2, 300, 400};
    view.Font.Name = "Arial";
    view.Align = infobase::TAlign::alRight;
    infobase::NodeFields node;
    node.text = "Ветка";
    node.data = 9;
    infobase::NodeFields child = node;
    child.depth = 1;
    const std::vector<infobase::TreeChange> changes{
        infobase::insertChange({0, 2}, {node, child}), infobase::moveChange({1}, {0}, 3),
        infobase::reorderChange({}, {1, 0}), infobase::renameChange({0}, "Новое")};
    const QByteArray bytes = infobase::tree_journal::encode(view, changes);
    const infobase::tree_journal::Entry entry = infobase::tree_journal::decode(3, bytes);
    EXPECT_EQ(entry.seq, 3);
    EXPECT_EQ(entry.view, view);
    EXPECT_EQ(entry.changes, changes);

    for (qsizetype size = 0; size < bytes.size(); ++size) {
        EXPECT_THROW(infobase::tree_journal::decode(1, bytes.left(size)), Failure) << size;
    }
    QByteArray longer = bytes;
    longer.append('\0');
    EXPECT_THROW(infobase::tree_journal::decode(1, longer), Failure);
    // The number of changes stands after the view state; made huge, it is refused before any
    // allocation.
    const qsizetype countAt = infobase::tree_journal::encode(view, {}).size() - 4;
    QByteArray huge = bytes;
    huge.replace(countAt, 4, QByteArray("\x7f\xff\xff\xff", 4));
    EXPECT_THROW(infobase::tree_journal::decode(1, huge), Failure);
}

} // namespace
