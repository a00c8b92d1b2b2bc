#include "infobase/tree/BranchMoves.h"

#include "TreeTestSupport.h"

#include <gtest/gtest.h>

using namespace infobase;

namespace {

// One node and its sub-tree as "A+(A1 A2)": a "+" for a set HasChildren flag, a "!" for a
// node whose Index() or Parent() is not where it stands.
QString shape(const TTreeNode* node, const TTreeNode* parent, int position) {
    QString text = node->Text() + (node->HasChildren() ? "+" : "") +
                   (node->Index() != position || node->Parent() != parent ? "!" : "");
    QStringList children;
    for (int i = 0; i < node->Count(); ++i) {
        children << shape(node->Item(i), node, i);
    }
    return children.isEmpty() ? text : text + "(" + children.join(' ') + ")";
}

// The whole tree's shape in one line: "A+(A1 A2) B".
QString shape(const TTreeNodes& items) {
    QStringList top;
    for (int i = 0; i < items.TopCount(); ++i) {
        top << shape(items.TopItem(i), nullptr, i);
    }
    return top.join(' ');
}

// Builds a tree from paths joined by "/", parents first.
TTreeNode* find(TTreeNodes& items, const QString& path) {
    TTreeNode* node = nullptr;
    for (const QString& text : path.split('/')) {
        const int count = node ? node->Count() : items.TopCount();
        TTreeNode* next = nullptr;
        for (int i = 0; i < count && !next; ++i) {
            TTreeNode* candidate = node ? node->Item(i) : items.TopItem(i);
            next = candidate->Text() == text ? candidate : nullptr;
        }
        node = next;
    }
    return node;
}

void grow(TTreeNodes& items, const QStringList& paths) {
    for (const QString& path : paths) {
        const qsizetype slash = path.lastIndexOf('/');
        items.AddChild(slash < 0 ? nullptr : find(items, path.left(slash)), path.mid(slash + 1));
    }
}

const QStringList kTree{"A", "A/A1", "A/A2", "A/A2/A2x", "B", "C"};

TEST(TreeNodesMove, PutsTheWholeBranchAtItsNewPlaceAndKeepsTheFlagsTrue) {
    struct Case {
        const char* node;
        const char* newParent; // "" for the top level
        int index;
        bool moved;
        const char* shape;
    };
    const Case cases[] = {
        {"A/A2", "", 1, true, "A+(A1) A2+(A2x) B C"},
        {"A/A1", "A", 1, true, "A+(A2+(A2x) A1) B C"},
        {"C", "", 0, true, "C A+(A1 A2+(A2x)) B"},
        {"A/A2/A2x", "B", 0, true, "A+(A1 A2) B+(A2x) C"},
        {"A", "C", 0, true, "B C+(A+(A1 A2+(A2x)))"},
        {"B", "", 99, true, "A+(A1 A2+(A2x)) C B"},
        {"B", "", 1, false, "A+(A1 A2+(A2x)) B C"},
        {"A", "A/A2/A2x", 0, false, "A+(A1 A2+(A2x)) B C"},
        {"A", "A", 0, false, "A+(A1 A2+(A2x)) B C"},
    };
    for (const Case& c : cases) {
        TTreeNodes items;
        grow(items, kTree);
        TTreeNode* node = find(items, c.node);
        TTreeNode* newParent = *c.newParent ? find(items, c.newParent) : nullptr;
        items.setSelected(node);
        EXPECT_EQ(items.Move(node, newParent, c.index), c.moved) << c.node;
        EXPECT_EQ(shape(items), c.shape) << c.node;
        EXPECT_EQ(items.Count(), 6) << c.node;
        EXPECT_EQ(items.Selected(), node) << c.node;
        if (c.moved) {
            EXPECT_EQ(node->Parent(), newParent) << c.node;
        }
    }
}

TEST(BranchMoves, EachStepOrNothingWhenItIsNotPossible) {
    struct Case {
        const char* node;
        BranchStep step;
        const char* shape; // nullptr: not possible
    };
    const QStringList tree{"A", "A/A1", "A/A2", "A/A3", "B", "B/B1"};
    const Case cases[] = {
        {"A/A2", BranchStep::Up, "A+(A2 A1 A3) B+(B1)"},
        {"A/A1", BranchStep::Up, nullptr},
        {"A", BranchStep::Up, nullptr},
        {"A/A2", BranchStep::Down, "A+(A1 A3 A2) B+(B1)"},
        {"A/A3", BranchStep::Down, nullptr},
        {"B", BranchStep::Down, nullptr},
        {"A", BranchStep::Down, "B+(B1) A+(A1 A2 A3)"},
        {"A/A2", BranchStep::Out, "A+(A1 A3) A2 B+(B1)"},
        {"B/B1", BranchStep::Out, "A+(A1 A2 A3) B B1"},
        {"A", BranchStep::Out, nullptr},
        {"A/A2", BranchStep::In, "A+(A1+(A2) A3) B+(B1)"},
        {"B", BranchStep::In, "A+(A1 A2 A3 B+(B1))"},
        {"A/A1", BranchStep::In, nullptr},
        {"B/B1", BranchStep::In, nullptr},
        {"A", BranchStep::In, nullptr},
    };
    for (const Case& c : cases) {
        TTreeNodes items;
        grow(items, tree);
        const QString before = describe(items);
        const std::optional<ShapeChange> change = stepBranch(items, find(items, c.node), c.step);
        SCOPED_TRACE(QStringLiteral("%1 step %2").arg(c.node).arg(int(c.step)).toStdString());
        EXPECT_EQ(change.has_value(), c.shape != nullptr);
        EXPECT_EQ(shape(items), c.shape ? c.shape : "A+(A1 A2 A3) B+(B1)");
        if (change) {
            change->undo(items);
            EXPECT_EQ(describe(items), before);
        }
    }
}

// A tree file can give a parent with children a cleared flag, or a childless node a set
// one; taking a move back restores both as they were, not as the move rules would set them.
TEST(BranchMoves, UndoRestoresFlagsTheMoveRulesWouldNot) {
    TTreeNodes items;
    grow(items, {"A", "A/A1", "B"});
    TTreeNode* a = find(items, "A");
    TTreeNode* b = find(items, "B");
    items.setHasChildren(a, false);
    items.setHasChildren(b, true);
    const QString before = describe(items);

    const auto intoB = moveBranch(items, find(items, "A/A1"), b, 0);
    ASSERT_TRUE(intoB);
    EXPECT_EQ(shape(items), "A B+(A1)");
    intoB->undo(items);
    EXPECT_EQ(describe(items), before);

    const auto out = stepBranch(items, b, BranchStep::In);
    ASSERT_TRUE(out);
    EXPECT_EQ(shape(items), "A+(A1 B+)");
    out->undo(items);
    EXPECT_EQ(describe(items), before);
}

TEST(BranchMoves, SortsByRussianCollationKeepingEqualNamesInOrder) {
    TTreeNodes items;
    grow(items,
         {"Папка", "Папка/яблоко", "Папка/Ёж", "Папка/ель", "Папка/Жук", "Папка/ёлка",
          "Папка/Арбуз", "Папка/Дом", "Папка/Дом/первый", "Папка/арбуз", "Папка/Дом", "Другая"});
    find(items, "Папка")->Item(8)->Data = 2; // the second "Дом"
    TTreeNode* folder = find(items, "Папка");
    const QString before = describe(items);

    const std::optional<ShapeChange> sorted =
        sortChildrenByName(items, folder, SortDirection::Ascending);
    ASSERT_TRUE(sorted);
    EXPECT_EQ(shape(items), "Папка+(арбуз Арбуз Дом+(первый) Дом Ёж ёлка ель Жук яблоко) Другая");
    EXPECT_EQ(folder->Item(3)->Data, 2) << "equal names keep their order";
    EXPECT_FALSE(sortChildrenByName(items, folder, SortDirection::Ascending)) << "already in order";

    sorted->undo(items);
    EXPECT_EQ(describe(items), before);
    EXPECT_TRUE(sortChildrenByName(items, nullptr, SortDirection::Ascending))
        << "the top level: Другая before Папка";
    EXPECT_EQ(items.TopItem(0)->Text(), "Другая");
}

TEST(BranchMoves, SortsNumbersAsNumbersBothWays) {
    const struct {
        QStringList names;
        SortDirection direction;
        QString shape;
    } cases[] = {
        {{"Заметка 10", "Заметка 2", "Заметка 1", "Заметка 11"},
         SortDirection::Ascending,
         "Заметка 1 Заметка 2 Заметка 10 Заметка 11"},
        {{"Заметка 10", "Заметка 2", "Заметка 1", "Заметка 11"},
         SortDirection::Descending,
         "Заметка 11 Заметка 10 Заметка 2 Заметка 1"},
        // Numbers longer than any machine word, inside and at the start of a name.
        {{"v100000000000000000000", "v99999999999999999999", "9 дней", "10 дней"},
         SortDirection::Ascending,
         "9 дней 10 дней v99999999999999999999 v100000000000000000000"},
        // Letters after the numbers: Russian collation, ё beside е; equal names in order.
        {{"б", "Ёж", "а", "ель", "б"}, SortDirection::Descending, "ель Ёж б б а"},
    };
    for (const auto& c : cases) {
        TTreeNodes items;
        grow(items, c.names);
        for (int i = 0; i < items.TopCount(); ++i) {
            items.TopItem(i)->Data = i;
        }
        ASSERT_TRUE(sortChildrenByName(items, nullptr, c.direction)) << c.shape.toStdString();
        EXPECT_EQ(shape(items), c.shape);
        for (int i = 1; i < items.TopCount(); ++i) {
            if (items.TopItem(i)->Text() == items.TopItem(i - 1)->Text()) {
                EXPECT_LT(items.TopItem(i - 1)->Data, items.TopItem(i)->Data) << "kept in order";
            }
        }
        EXPECT_FALSE(sortChildrenByName(items, nullptr, c.direction)) << "already in order";
    }
}

} // namespace
