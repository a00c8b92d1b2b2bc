// The undo history on a base without the window: how many steps it keeps, what it leaves in
// the base's side tables, and what an earlier run left there.
#include "infobase/history/UndoHistory.h"

#include "StoreTestSupport.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/wholefile/TreeCommit.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using infobase::UndoCommand;
using infobase::UndoHistory;

class History : public ::testing::Test {
protected:
    History() {
        base.seed({{"Ветка", "описание"}, {"Другая"}});
        store.connect(base.path());
        history.start(store.ADOConnection1, store.Query_Glav, treeFile());
    }

    void saveText(const QString& text) {
        const UndoHistory::Recording recording = history.record(UndoCommand::TextSave, "Ветка");
        ASSERT_TRUE(store.Query_Glav.LocateOwn("Ветка"));
        store.Query_Glav.Edit();
        store.Query_Glav.FieldByName("Texty").SetAsString(text);
        store.Query_Glav.Post();
    }

    qint64 count(const char* table) const {
        infobase::SqlStatement select =
            store.ADOConnection1.prepare(QByteArray("SELECT count(*) FROM ") + table);
        select.step();
        return select.columnInt64(0);
    }

    QString treeFile() const { return base.folder() + "/TreeView.dat"; }

    store_test::TempBase base;
    infobase::RecordStore store;
    // The tree a history follows outlives it.
    infobase::TTreeNodes tree;
    infobase::TreeViewState view;
    UndoHistory history;
};

TEST_F(History, KeepsTheLastHundredStepsAndForgetsWhatTheOlderOnesKept) {
    const int steps = int(UndoHistory::kMaxSteps) + 1;
    for (int i = 1; i <= steps; ++i) {
        saveText(QString::number(i));
    }
    EXPECT_EQ(count("UndoRecordImages"), qint64(UndoHistory::kMaxSteps));
    for (std::size_t i = 0; i < UndoHistory::kMaxSteps; ++i) {
        ASSERT_NE(history.undoable(), nullptr) << i;
        history.undo();
    }
    EXPECT_EQ(history.undoable(), nullptr);
    EXPECT_EQ(base.column("Ветка", "Texty"), "1"); // the first step is forgotten
    // The records in memory follow the base.
    ASSERT_TRUE(store.Query_Glav.LocateOwn("Ветка"));
    EXPECT_EQ(store.Query_Glav.FieldByName("Texty").AsString(), "1");
}

TEST_F(History, ACommandThatDidNotCommitLeavesNoStep) {
    {
        const UndoHistory::Recording recording = history.record(UndoCommand::Delete, "Ветка");
        ASSERT_TRUE(store.Query_Glav.LocateOwn("Ветка"));
        infobase::TTreeNodes tree;
        EXPECT_THROW(infobase::commitTree(store.ADOConnection1, store.Query_Glav, treeFile(),
                                          infobase::treeFileBytes({}, tree),
                                          [&] {
                                              store.Query_Glav.Delete();
                                              throw Failure("refused");
                                          }),
                     Failure);
    }
    EXPECT_EQ(history.undoable(), nullptr);
    EXPECT_EQ(count("UndoRecordImages"), 0);
    EXPECT_EQ(base.names(), QStringList({"Ветка", "Другая"}));
}

// A tree step keeps the tree's changes, not a copy of the tree: nothing is written beside the
// tree file, an undo and a redo give the files back byte for byte, and a tree file another
// program wrote since (even with the same bytes) refuses the undo with nothing changed.
TEST_F(History, TreeStepsKeepChangesAndNoticeAnotherProgramsWrite) {
    infobase::TTreeNode* first = tree.Add(nullptr, "Ветка");
    tree.Add(nullptr, "Другая");
    const auto commit = [&] {
        infobase::commitTree(store.ADOConnection1, store.Query_Glav, treeFile(),
                             infobase::treeFileBytes(view, tree),
                             [&] { history.treeWillChange(); });
        history.treeFileMatchesView();
    };
    commit();
    history.followTree(tree, view);
    const auto fileBytes = [&] {
        QFile file(treeFile());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    };
    const QByteArray before = fileBytes();
    {
        const UndoHistory::Recording recording = history.record(UndoCommand::Move, "Ветка");
        tree.Move(first, nullptr, 1);
        tree.AddChild(first, "Новая");
        commit();
    }
    const QByteArray after = fileBytes();
    EXPECT_EQ(QDir(base.folder()).entryList({"TreeView.dat*"}, QDir::Files),
              QStringList({"TreeView.dat"}));

    EXPECT_TRUE(history.undo().treeChanged);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(infobase::treeFileBytes(view, tree), before);
    history.redo();
    EXPECT_EQ(fileBytes(), after);
    EXPECT_EQ(infobase::treeFileBytes(view, tree), after);

    {
        QFile file(treeFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(after);
    }
    EXPECT_THROW(history.undo(), infobase::UndoRefusal);
    EXPECT_EQ(fileBytes(), after);
    EXPECT_EQ(infobase::treeFileBytes(view, tree), after);
    EXPECT_NE(history.undoable(), nullptr);
}

TEST_F(History, StartRemovesWhatAnEarlierRunLeftAndStopRemovesWhatThisOneKept) {
    saveText("текст");
    ASSERT_EQ(count("UndoRecordImages"), 1);
    history.stop();
    infobase::SqlStatement tables = store.ADOConnection1.prepare(
        "SELECT count(*) FROM sqlite_master WHERE name IN ('UndoRecordImages', 'UndoTreeFiles')");
    tables.step();
    EXPECT_EQ(tables.columnInt64(0), 0);
    tables.reset();
    // A killed run leaves tables of any shape; the start makes them anew and empty.
    base.execute("DROP TABLE IF EXISTS UndoRecordImages;"
                 "CREATE TABLE UndoRecordImages (leftover);"
                 "INSERT INTO UndoRecordImages VALUES (x'00ff');"
                 "CREATE TABLE IF NOT EXISTS UndoTreeFiles (leftover);"
                 "INSERT INTO UndoTreeFiles VALUES (1);");
    QFile leftover(treeFile() + ".undo-7");
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    // A user's file that only looks like a step's is not the history's to remove.
    QFile usersCopy(treeFile() + ".undo-copy");
    ASSERT_TRUE(usersCopy.open(QIODevice::WriteOnly));
    usersCopy.close();
    history.start(store.ADOConnection1, store.Query_Glav, treeFile());
    EXPECT_EQ(count("UndoRecordImages"), 0);
    EXPECT_EQ(count("UndoTreeFiles"), 0);
    EXPECT_FALSE(leftover.exists());
    EXPECT_TRUE(usersCopy.exists());
    saveText("ещё");
    EXPECT_EQ(count("UndoRecordImages"), 1);
}

} // namespace
