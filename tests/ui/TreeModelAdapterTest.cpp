#include "ui/TreeModelAdapter.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

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

} // namespace
