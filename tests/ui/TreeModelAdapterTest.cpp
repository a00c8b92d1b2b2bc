#include "ui/TreeModelAdapter.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

namespace {

using infobase::TTreeNode;

TEST(TreeModelAdapter, MirrorsTheTreeThroughEveryChange) {
    infobase::TTreeNodes tree;
    TreeModelAdapter model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    TTreeNode* photos = tree.AddChild(nullptr, QStringLiteral("Фото"));
    TTreeNode* notes = tree.AddChild(nullptr, QStringLiteral("Заметки"));
    TTreeNode* trip = tree.AddChild(photos, QStringLiteral("Поездка"));
    ASSERT_EQ(model.rowCount(), 2);
    const QModelIndex photosIndex = model.index(0, 0);
    EXPECT_EQ(photosIndex.data().toString(), QStringLiteral("Фото"));
    EXPECT_EQ(model.nodeAt(model.index(0, 0, photosIndex)), trip);
    EXPECT_EQ(model.parent(model.indexOf(trip)), photosIndex);
    EXPECT_EQ(model.indexOf(notes).row(), 1);
    EXPECT_FALSE(model.flags(photosIndex) & Qt::ItemIsEditable);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    tree.setText(trip, QStringLiteral("Поездка 2019"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.index(0, 0, photosIndex).data().toString(), QStringLiteral("Поездка 2019"));

    tree.Delete(trip);
    EXPECT_EQ(model.rowCount(photosIndex), 0);
    EXPECT_FALSE(model.hasChildren(photosIndex));
    tree.Clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(TreeModelAdapter, ExpandButtonComesFromTheFlagOrTheChildren) {
    infobase::TTreeNodes tree;
    TreeModelAdapter model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    TTreeNode* flagged = tree.AddChild(nullptr, QStringLiteral("flagged, no children"));
    TTreeNode* parent = tree.AddChild(nullptr, QStringLiteral("children, flag cleared"));
    TTreeNode* plain = tree.AddChild(nullptr, QStringLiteral("no flag, no children"));
    tree.AddChild(parent, QStringLiteral("child"));
    tree.setHasChildren(flagged, true);
    tree.setHasChildren(parent, false);
    EXPECT_TRUE(model.hasChildren(model.indexOf(flagged)));
    EXPECT_EQ(model.rowCount(model.indexOf(flagged)), 0);
    EXPECT_TRUE(model.hasChildren(model.indexOf(parent))) << "its child stays reachable";
    EXPECT_FALSE(model.hasChildren(model.indexOf(plain)));
}

// Views keep indexes (the selection, the expanded branches) across moves and reorders: each
// follows its node.
TEST(TreeModelAdapter, KeptIndexesFollowTheirNodesThroughMovesAndReorders) {
    infobase::TTreeNodes tree;
    TreeModelAdapter model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    TTreeNode* a = tree.AddChild(nullptr, QStringLiteral("А"));
    TTreeNode* a1 = tree.AddChild(a, QStringLiteral("А1"));
    TTreeNode* a2 = tree.AddChild(a, QStringLiteral("А2"));
    TTreeNode* b = tree.AddChild(nullptr, QStringLiteral("Б"));
    const QPersistentModelIndex keptA2 = model.indexOf(a2);
    const QPersistentModelIndex keptB = model.indexOf(b);
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);

    ASSERT_TRUE(tree.Move(a2, b, 0));
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(keptA2, model.indexOf(a2));
    EXPECT_EQ(keptA2.parent(), keptB);
    ASSERT_TRUE(tree.Move(b, nullptr, 0));
    EXPECT_EQ(keptB.row(), 0);
    EXPECT_EQ(model.index(0, 0, keptB).data().toString(), QStringLiteral("А2"));

    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
    tree.Reorder(nullptr, {a, b});
    EXPECT_EQ(layout.count(), 1);
    EXPECT_EQ(keptB, model.indexOf(b));
    EXPECT_EQ(keptB.row(), 1);
    EXPECT_EQ(keptA2.parent(), keptB);
    EXPECT_EQ(model.nodeAt(model.index(0, 0, model.indexOf(a))), a1);
}

// A drag carries the branch for this model only; the drop is refused into the branch's own
// sub-tree and for any other action than a move, and the model only asks for the move.
TEST(TreeModelAdapter, ADropAsksToMoveItsOwnBranchOutsideItsSubTree) {
    infobase::TTreeNodes tree;
    TreeModelAdapter model(tree);
    TTreeNode* a = tree.AddChild(nullptr, QStringLiteral("А"));
    TTreeNode* a1 = tree.AddChild(a, QStringLiteral("А1"));
    TTreeNode* b = tree.AddChild(nullptr, QStringLiteral("Б"));
    TTreeNode* c = tree.AddChild(nullptr, QStringLiteral("В"));
    const std::unique_ptr<QMimeData> dragA(model.mimeData({model.indexOf(a)}));
    ASSERT_NE(dragA, nullptr);

    EXPECT_FALSE(model.canDropMimeData(dragA.get(), Qt::MoveAction, -1, 0, model.indexOf(a)));
    EXPECT_FALSE(model.canDropMimeData(dragA.get(), Qt::MoveAction, 0, 0, model.indexOf(a1)));
    EXPECT_FALSE(model.canDropMimeData(dragA.get(), Qt::CopyAction, -1, 0, model.indexOf(b)));
    EXPECT_TRUE(model.canDropMimeData(dragA.get(), Qt::MoveAction, -1, 0, model.indexOf(b)));
    EXPECT_TRUE(model.canDropMimeData(dragA.get(), Qt::MoveAction, -1, 0, {}));
    infobase::TTreeNodes otherTree;
    otherTree.AddChild(nullptr, QStringLiteral("А"));
    TreeModelAdapter other(otherTree);
    EXPECT_FALSE(other.canDropMimeData(dragA.get(), Qt::MoveAction, -1, 0, {}));
    EXPECT_FALSE(other.dropMimeData(dragA.get(), Qt::MoveAction, -1, 0, {}));

    struct Case {
        int row;
        TTreeNode* parent;
        int index; // as TTreeNodes::Move counts
    };
    // The view's row counts the dragged branch while it is still in its place.
    const Case cases[] = {{-1, b, 0},      {-1, nullptr, 3}, {3, nullptr, 2},
                          {2, nullptr, 1}, {0, nullptr, 0},  {1, c, 1}};
    for (const Case& drop : cases) {
        QSignalSpy asked(&model, &TreeModelAdapter::branchDropped);
        EXPECT_FALSE(model.dropMimeData(dragA.get(), Qt::MoveAction, drop.row, 0,
                                        model.indexOf(drop.parent)))
            << "the view must not remove the dragged rows";
        ASSERT_EQ(asked.count(), 1) << drop.row;
        EXPECT_EQ(asked[0][0].value<TTreeNode*>(), a);
        EXPECT_EQ(asked[0][1].value<TTreeNode*>(), drop.parent);
        EXPECT_EQ(asked[0][2].toInt(), drop.index) << drop.row;
    }
    EXPECT_EQ(model.indexOf(a).row(), 0) << "the model leaves the move to the tree's owner";
}

} // namespace
