// A result list of hundreds of rows: each row is made when the view asks for it, and still
// shows its own branch, in the tree's order, and answers the keyboard and the mouse.
#include "BranchWindow.h"
#include "SearchWindowDriver.h"
#include "ui/Form_Glavn.h"
#include "ui/SearchBar.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int kBranches = 600;

QString nameOf(int i) {
    return QStringLiteral("Ветка %1").arg(i);
}

// kBranches top-level branches; every third has a record, with a description of its own
// number (the others are found by their names only).
BranchWindow longProgram() {
    QStringList tree;
    std::vector<SeedRecord> records;
    for (int i = 0; i < kBranches; ++i) {
        tree << nameOf(i);
        if (i % 3 == 0) {
            records.push_back({nameOf(i), QStringLiteral("описание %1").arg(i)});
        }
    }
    return BranchWindow(tree, records);
}

class SearchLongList : public ::testing::Test {
protected:
    BranchWindow program = longProgram();
    TForm_Glavn& window = program.window();
    SearchBar& bar = openSearch(window);
    QListView* list = bar.list();

    const QAbstractItemModel& results() { return *list->model(); }
    QString rowText(int row) { return results().index(row, 0).data().toString(); }

    void search(const QString& query) {
        bar.field()->setText(query);
        waitForResults(bar);
        bar.repaint();
    }

    bool rowInSight(int row) {
        return list->viewport()->rect().intersects(list->visualRect(results().index(row, 0)));
    }
};

TEST_F(SearchLongList, EachRowShowsItsOwnResultInTheTreesOrderAsTheQueryChanges) {
    search("ветка");
    ASSERT_EQ(results().rowCount(), kBranches);
    // Rows asked for far from the top first, then near it.
    for (const int row : {kBranches - 1, kBranches / 2, 1, 0}) {
        EXPECT_EQ(rowText(row), nameOf(row) + "\nв названии") << row;
    }
    // Past the rows, or in another column: no row at all.
    EXPECT_FALSE(results().index(kBranches, 0).isValid());
    EXPECT_FALSE(results().index(-1, 0).isValid());
    EXPECT_FALSE(results().index(0, 1).isValid());
    EXPECT_FALSE(results().index(0, 0, results().index(0, 0)).isValid());

    // Another query with other results: no row keeps the text of the list before.
    search("описание");
    ASSERT_EQ(results().rowCount(), kBranches / 3);
    for (const int row : {kBranches / 3 - 1, 100, 0}) {
        EXPECT_EQ(rowText(row),
                  nameOf(3 * row) + QStringLiteral("\nв описании: описание %1").arg(3 * row))
            << row;
    }
    EXPECT_FALSE(results().index(kBranches / 3, 0).isValid());
}

TEST_F(SearchLongList, TheKeyboardAndAClickReachEveryRow) {
    // Rows laid out a few at a time, as a list of a million is: the keys do not wait for it.
    list->setBatchSize(16);
    search("ветка");
    QTest::keyClick(bar.field(), Qt::Key_Down);
    ASSERT_TRUE(list->hasFocus());
    EXPECT_EQ(list->currentIndex().row(), 0);
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), kBranches - 1);
    EXPECT_TRUE(rowInSight(kBranches - 1));
    EXPECT_FALSE(rowInSight(0));
    QTest::keyClick(list, Qt::Key_PageUp);
    const int paged = list->currentIndex().row();
    EXPECT_LT(paged, kBranches - 2);
    EXPECT_GT(paged, kBranches - 100);
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(list->currentIndex().row(), paged - 1);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(window.TreeNodes.Selected(), program.node(nameOf(paged - 1)));

    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_TRUE(rowInSight(0));

    // A click marks the one row it hits.
    list->scrollTo(results().index(kBranches / 2, 0));
    const QPoint at = list->visualRect(results().index(kBranches / 2, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    const QModelIndexList marked = list->selectionModel()->selectedIndexes();
    ASSERT_EQ(marked.size(), 1);
    EXPECT_EQ(marked.front().row(), kBranches / 2);
    EXPECT_EQ(list->currentIndex().row(), kBranches / 2);
}

} // namespace
