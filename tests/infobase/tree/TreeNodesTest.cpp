#include "TreeTestSupport.h"

#include <gtest/gtest.h>

using namespace infobase;

namespace {

TEST(TreeNodes, NewNodesCarryTheirInitialValues) {
    TTreeNodes items;
    const TTreeNode* node = items.Add(nullptr, "Branch");
    EXPECT_EQ(node->Text(), "Branch");
    EXPECT_EQ(describe(items), "Branch [img 0 sel 0 state -1 ovl -1 exp 0 data 0]");
    EXPECT_FALSE(node->Expanded);
    EXPECT_EQ(node->Parent(), nullptr);
    EXPECT_EQ(items.Selected(), nullptr);
}

// A deleted node's place is reused: what comes back there is a new node, nothing of the old.
TEST(TreeNodes, NodesAddedAfterDeletesAreNew) {
    TTreeNodes items;
    TTreeNode* old = items.Add(nullptr, "old");
    items.AddChild(items.AddChild(old, "child"), "grandchild");
    old->ImageIndex = old->StateIndex = old->Data = 9;
    old->Enabled = false;
    old->Expanded = true;
    items.setSelected(old);
    items.Delete(old);
    EXPECT_EQ(items.Count(), 0);
    EXPECT_EQ(items.Selected(), nullptr);
    for (const char* text : {"a", "b", "c", "d"}) {
        const TTreeNode* node = items.Add(nullptr, text);
        EXPECT_FALSE(node->Expanded) << text;
        EXPECT_EQ(node->Count(), 0) << text;
    }
    EXPECT_EQ(describe(items), "a [img 0 sel 0 state -1 ovl -1 exp 0 data 0]\n"
                               "b [img 0 sel 0 state -1 ovl -1 exp 0 data 0]\n"
                               "c [img 0 sel 0 state -1 ovl -1 exp 0 data 0]\n"
                               "d [img 0 sel 0 state -1 ovl -1 exp 0 data 0]");
    EXPECT_EQ(items.TopItem(3)->Index(), 3);
}

// A tree read from a file keeps its children in memory the reader laid out for exactly the
// children it read; every edit afterwards must work on it as on a tree built by hand.
TEST(TreeNodes, ATreeReadFromAFileTakesEveryEdit) {
    TTreeNodes built;
    for (const char* top : {"A", "B", "C"}) {
        TTreeNode* node = built.Add(nullptr, top);
        for (const char* child : {"1", "2", "3"}) {
            built.AddChild(node, QString(top) + child);
        }
    }
    TreeViewState view;
    TTreeNodes items;
    ASSERT_EQ(readFromBytes(writeToBytes(view, built), view, items), QString());

    TTreeNode* b = items.TopItem(1);
    items.Delete(b->Item(1));       // from the middle of a read child list
    for (int i = 4; i <= 12; ++i) { // well past the room the reader made
        items.AddChild(b, "B" + QString::number(i));
    }
    items.Add(nullptr, "D");        // and past the top level's room
    items.Delete(items.TopItem(0)); // a read branch with its read children
    items.setText(items.TopItem(0)->Item(0), "B1 renamed");

    QStringList seen;
    for (int i = 0; i < items.TopCount(); ++i) {
        const TTreeNode* top = items.TopItem(i);
        EXPECT_EQ(top->Index(), i);
        seen.append(top->Text());
        for (int j = 0; j < top->Count(); ++j) {
            EXPECT_EQ(top->Item(j)->Index(), j);
            EXPECT_EQ(top->Item(j)->Parent(), top);
            seen.append(top->Item(j)->Text());
        }
    }
    EXPECT_EQ(seen.join(' '), "B B1 renamed B3 B4 B5 B6 B7 B8 B9 B10 B11 B12 C C1 C2 C3 D");
    EXPECT_EQ(items.Count(), 17);

    items.Clear();
    items.AddChild(items.Add(nullptr, "new"), "child");
    EXPECT_EQ(describe(items), "new [img 0 sel 0 state -1 ovl -1 exp 0 data 0 +]\n"
                               "  child [img 0 sel 0 state -1 ovl -1 exp 0 data 0]");
}

TEST(TreeNodes, AddAppendsAtTheEndOfTheSiblingsLevel) {
    TTreeNodes items;
    TTreeNode* a = items.Add(nullptr, "A");
    TTreeNode* a1 = items.AddChild(a, "A1");
    items.AddChild(a, "A2");
    items.Add(nullptr, "B");
    items.setSelected(a1);
    // With a sub-branch selected, the new node goes after the last of its siblings, not
    // after the selected one; with nothing selected, after the last top-level node.
    TTreeNode* a3 = items.Add(items.Selected(), "A3");
    items.Add(nullptr, "C");
    items.Add(a, "D");
    EXPECT_EQ(describe(items).count('\n') + 1, items.Count());
    QStringList order;
    for (TTreeNode* n = items.getFirstNode(); n; n = n->getNextSibling()) {
        order.append(n->Text());
    }
    EXPECT_EQ(order, QStringList({"A", "B", "C", "D"}));
    EXPECT_EQ(a->Count(), 3);
    EXPECT_EQ(a->Item(2), a3);
    EXPECT_EQ(a3->Parent(), a);
    EXPECT_EQ(a3->Index(), 2);
    EXPECT_EQ(a3->Level(), 1);
    EXPECT_EQ(items.Count(), 7);
    EXPECT_EQ(items.Selected(), a1) << "adding does not select";
}

TEST(TreeNodes, GetNextWalksTheWholeTreeInItsOrder) {
    // A deep last branch climbs several levels back to the next top-level node.
    TTreeNodes items;
    TTreeNode* a = items.Add(nullptr, "A");
    TTreeNode* a1 = items.AddChild(a, "A1");
    TTreeNode* a1x = items.AddChild(a1, "A1x");
    items.AddChild(a1x, "A1x1");
    items.AddChild(a, "A2");
    items.Add(nullptr, "B");
    TTreeNode* c = items.Add(nullptr, "C");
    items.AddChild(items.AddChild(c, "C1"), "C1a");
    QStringList order;
    for (TTreeNode* n = items.getFirstNode(); n; n = n->GetNext()) {
        order.append(n->Text());
    }
    EXPECT_EQ(order, QStringList({"A", "A1", "A1x", "A1x1", "A2", "B", "C", "C1", "C1a"}));
}

TEST(TreeNodes, AddChildFlagsTheParentAndLeavesItCollapsed) {
    TTreeNodes items;
    TTreeNode* parent = items.Add(nullptr, "Parent");
    TTreeNode* child = items.AddChild(parent, "Child");
    EXPECT_TRUE(parent->HasChildren());
    EXPECT_FALSE(parent->Expanded);
    EXPECT_FALSE(child->HasChildren());
    // Without a parent, a top-level node.
    EXPECT_EQ(items.AddChild(nullptr, "Top")->Parent(), nullptr);
    EXPECT_EQ(items.TopCount(), 2);
}

TEST(TreeNodes, DeletingTheLastChildClearsTheFlag) {
    TTreeNodes items;
    TTreeNode* parent = items.Add(nullptr, "Parent");
    TTreeNode* first = items.AddChild(parent, "First");
    TTreeNode* second = items.AddChild(parent, "Second");
    items.Delete(first);
    EXPECT_TRUE(parent->HasChildren()) << "one child is left";
    EXPECT_EQ(second->Index(), 0);
    items.Delete(second);
    EXPECT_FALSE(parent->HasChildren());
    EXPECT_EQ(items.Count(), 1);

    // A node flagged by the file without children keeps its flag until a child comes and goes.
    items.setHasChildren(parent, true);
    items.Delete(items.AddChild(parent, "Passing"));
    EXPECT_FALSE(parent->HasChildren());
}

TEST(TreeNodes, DeletingABranchRemovesItsSubtreeAndTheSelection) {
    TTreeNodes items;
    TTreeNode* keep = items.Add(nullptr, "Keep");
    TTreeNode* gone = items.Add(nullptr, "Gone");
    TTreeNode* inner = items.AddChild(gone, "Inner");
    items.AddChild(items.AddChild(inner, "Deep"), "Deeper");
    items.Add(nullptr, "Same");
    items.Add(nullptr, "Same"); // texts need not be unique
    items.setSelected(inner);
    items.Delete(gone);
    EXPECT_EQ(items.Count(), 3);
    EXPECT_EQ(items.Selected(), nullptr);
    EXPECT_EQ(items.TopItem(1)->Index(), 1);
    EXPECT_EQ(keep->getNextSibling(), items.TopItem(1));

    items.Clear();
    EXPECT_EQ(items.Count(), 0);
    EXPECT_EQ(items.getFirstNode(), nullptr);
}

TEST(TreeNodes, AChainMillionsDeepIsFreedWithoutRecursion) {
    auto items = std::make_unique<TTreeNodes>();
    TTreeNode* node = items->Add(nullptr, QString());
    for (int i = 0; i < 1'000'000; ++i) {
        node = items->AddChild(node, QString());
    }
    EXPECT_EQ(node->Level(), 1'000'000);
    items.reset();
}

// Records the notifications, one word each.
class RecordingObserver : public TreeNodesObserver {
public:
    QStringList events;
    void nodeAboutToBeInserted(TTreeNode* parent, int row) override {
        events.append(QStringLiteral("insert %1 %2").arg(name(parent)).arg(row));
    }
    void nodeInserted() override { events.append("inserted"); }
    void nodeAboutToBeRemoved(TTreeNode* parent, int row) override {
        events.append(QStringLiteral("remove %1 %2").arg(name(parent)).arg(row));
    }
    void nodeRemoved() override { events.append("removed"); }
    void nodeChanged(TTreeNode* node) override { events.append("changed " + node->Text()); }
    void nodeAboutToBeMoved(TTreeNode* oldParent, int oldRow, TTreeNode* newParent,
                            int newRow) override {
        events.append(QStringLiteral("move %1 %2 to %3 %4")
                          .arg(name(oldParent))
                          .arg(oldRow)
                          .arg(name(newParent))
                          .arg(newRow));
    }
    void nodeMoved() override { events.append("moved"); }
    void childrenAboutToBeReordered(TTreeNode* parent) override {
        events.append("reorder " + name(parent));
    }
    void childrenReordered(TTreeNode* parent) override {
        events.append("reordered " + name(parent));
    }
    void treeAboutToBeReset() override { events.append("reset"); }
    void treeReset() override { events.append("was reset"); }

private:
    static QString name(TTreeNode* node) { return node ? node->Text() : QStringLiteral("-"); }
};

TEST(TreeNodes, TellsAnObserverEveryChange) {
    TTreeNodes items;
    RecordingObserver observer;
    items.setObserver(&observer);
    TTreeNode* a = items.Add(nullptr, "A");
    TTreeNode* b = items.AddChild(a, "B");
    items.setText(b, "B2");
    items.Delete(b);
    items.BeginUpdate();
    items.Add(nullptr, "C");
    items.EndUpdate();
    items.Clear();
    EXPECT_EQ(observer.events,
              QStringList({"insert - 0", "inserted", "insert A 0", "inserted", "changed A",
                           "changed B2", "remove A 0", "removed", "changed A", "reset", "was reset",
                           "reset", "was reset"}));
}

// The views count a move's new row among the children as they are before it; the flags
// change after the move, each heard as a change of its node.
TEST(TreeNodes, TellsAnObserverOfMovesAndReorders) {
    TTreeNodes items;
    TTreeNode* a = items.Add(nullptr, "A");
    TTreeNode* b = items.Add(nullptr, "B");
    TTreeNode* c = items.Add(nullptr, "C");
    RecordingObserver observer;
    items.setObserver(&observer);
    items.Move(a, nullptr, 2); // to the end of its own level
    items.Move(c, nullptr, 0);
    items.Move(c, b, 0);
    items.Move(c, b, 0); // its own place: nothing
    items.Move(b, c, 0); // into its own sub-tree: nothing
    items.Reorder(nullptr, {a, b});
    EXPECT_EQ(observer.events,
              QStringList({"move - 0 to - 3", "moved", "move - 1 to - 0", "moved",
                           "move - 0 to B 0", "moved", "changed B", "reorder -", "reordered -"}));
}

} // namespace
