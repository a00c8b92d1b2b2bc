// A change of the tree that the base committed reaches the tree file in the end, whatever
// stands in the way of its last step, and is never lost to a later command, start or backup;
// a tree file that is a symbolic link stays one.
#include "BranchWindow.h"
#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SharedWriteTransaction.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/TreeCommit.h"
#include "infobase/wholefile/TreeJournal.h"
#include "ui/Form_Glavn.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using infobase::TreeCommitStep;

const QString kBackupDone =
    QStringLiteral("Копии файлов баз дерева\rскопированы в папку Backup copies.");

QStringList nodesIn(const QString& treeFile) {
    infobase::TreeViewState view;
    infobase::TTreeNodes nodes;
    infobase::readTreeFile(treeFile, view, nodes);
    QStringList names;
    for (const infobase::TTreeNode* node = nodes.getFirstNode(); node;
         node = node->getNextSibling()) {
        names << node->Text();
    }
    return names;
}

QStringList topLevel(const TForm_Glavn& window) {
    QStringList names;
    for (int i = 0; i < window.TreeNodes.TopCount(); ++i) {
        names << window.TreeNodes.TopItem(i)->Text();
    }
    return names;
}

// The commit's step hook for the life of the object: the action runs when the step is reached
// the nth time.
class AtStep {
public:
    AtStep(TreeCommitStep step, std::function<void()> action, int nth = 1) {
        infobase::setTreeCommitStepHook([step, action, nth, seen = 0](TreeCommitStep at) mutable {
            if (at == step && ++seen == nth) {
                action();
            }
        });
    }
    ~AtStep() { infobase::setTreeCommitStepHook({}); }
    AtStep(const AtStep&) = delete;
    AtStep& operator=(const AtStep&) = delete;
};

class TreeFileInPlace : public ::testing::Test {
protected:
    BranchWindow program{{"A"}, {{"A", "a"}}};
    QString treeFile = program.program.path(QStringLiteral("Data/TreeView.dat"));
    QString pending = treeFile + QStringLiteral(".pending");

    TForm_Glavn& window() { return program.window(); }

    void add(const QString& name) {
        window().Edit_Mame_Vetok->setText(name);
        program.press(window().SpeedButton_vvod_vetki);
    }
    // A folder with a file in it at the tree file's name: no rename can replace it, for root
    // as for anyone, on any file system (as an immutable file or another user's file in a
    // shared folder with the sticky bit refuse it).
    void blockTreeFile() {
        QFile::remove(treeFile);
        ASSERT_TRUE(QDir().mkpath(treeFile + QStringLiteral("/in the way")));
    }
    void unblockTreeFile() { ASSERT_TRUE(QDir(treeFile).removeRecursively()); }

    // The program closed and started again on the same folder, connected or not.
    void restart(bool connect) {
        program.program.window.reset();
        program.forgetMessages();
        program.program.start();
        if (connect) {
            window().Button_podluchit_bazy->click();
            window().PokazatClick();
        }
        QCoreApplication::processEvents();
    }
    // The backup chosen from the menu; waits for the one window it shows.
    void backup() {
        program.forgetMessages();
        QTimer::singleShot(0, &window(), [this] { window().N_save_copy->trigger(); });
        EXPECT_TRUE(QTest::qWaitFor([this] { return !program.messages().isEmpty(); }, 30000));
    }
};

TEST_F(TreeFileInPlace, ACommittedTreeThatCannotReplaceTheFileIsToldKeptAndPutInPlaceLater) {
    {
        // The add keeps its change in the base (its first commit); the file rewritten from it
        // is committed next, and then cannot be put in place.
        AtStep block(
            TreeCommitStep::Committed, [this] { blockTreeFile(); }, 2);
        add("X1");
        EXPECT_TRUE(QTest::qWaitFor([this] { return !program.messages().isEmpty(); }, 30000));
    }
    ASSERT_EQ(program.messages().size(), 1);
    EXPECT_TRUE(program.messages()[0].startsWith("Изменения дерева сохранены в базе, но файл"))
        << program.messages()[0].toStdString();
    EXPECT_EQ(topLevel(window()), (QStringList{"A", "X1"}));
    EXPECT_EQ(program.recordNames(), (QStringList{"A", "X1"}));
    EXPECT_EQ(nodesIn(pending), (QStringList{"A", "X1"}));

    // While it cannot be put in place, no tree without X1 is written, by a command or a
    // backup.
    program.forgetMessages();
    add("X2");
    ASSERT_EQ(program.messages().size(), 1);
    EXPECT_TRUE(program.messages()[0].contains("не удаётся заменить"))
        << program.messages()[0].toStdString();
    EXPECT_EQ(topLevel(window()), (QStringList{"A", "X1"}));
    EXPECT_EQ(program.recordNames(), (QStringList{"A", "X1"}));
    backup();
    ASSERT_EQ(program.messages().size(), 1);
    EXPECT_TRUE(program.messages()[0].startsWith("Последнее изменение дерева ещё не в файле"));
    EXPECT_FALSE(QFileInfo::exists(program.program.path("Backup copies/TreeView.dat")));

    // A start while it still cannot be put in place shows the committed tree, and says why.
    restart(true);
    EXPECT_EQ(topLevel(window()), (QStringList{"A", "X1"}));
    EXPECT_TRUE(program.messages().last().startsWith("Изменение сохранено в базе, но файл"));
    EXPECT_EQ(nodesIn(pending), (QStringList{"A", "X1"}));

    // Once the way is free, the next command puts it in place and goes on.
    unblockTreeFile();
    program.forgetMessages();
    add("X2");
    EXPECT_EQ(program.messages(), QStringList{});
    window().writeTreeFileNow();
    EXPECT_EQ(nodesIn(treeFile), (QStringList{"A", "X1", "X2"}));
    EXPECT_EQ(program.recordNames(), (QStringList{"A", "X1", "X2"}));
    EXPECT_FALSE(QFileInfo::exists(pending));
}

// Killed between the base's commit and the rename, then started again: a backup before the
// connect copies a pair that agrees, and the connect shows the tree with the change.
TEST_F(TreeFileInPlace, ABackupBeforeTheConnectPutsACommittedTreeInPlaceFirst) {
    {
        AtStep kill(TreeCommitStep::Committed, [] { throw Failure(QStringLiteral("killed")); });
        add("X1");
    }
    ASSERT_EQ(program.recordNames(), (QStringList{"A", "X1"}));
    ASSERT_EQ(nodesIn(treeFile), QStringList{"A"});
    restart(false);
    backup();
    EXPECT_EQ(program.messages(), QStringList{kBackupDone});
    EXPECT_EQ(nodesIn(program.program.path("Backup copies/TreeView.dat")),
              (QStringList{"A", "X1"}));
    EXPECT_EQ(nodesIn(treeFile), (QStringList{"A", "X1"}));
    EXPECT_FALSE(QFileInfo::exists(pending));
    window().Button_podluchit_bazy->click();
    EXPECT_EQ(topLevel(window()), (QStringList{"A", "X1"}));
}

TEST_F(TreeFileInPlace, ATreeFileThatIsALinkIsWrittenThroughOrRefusedWhenItLeadsNowhere) {
    const QString real = program.program.path(QStringLiteral("elsewhere.dat"));
    ASSERT_TRUE(QFile::rename(treeFile, real));
    ASSERT_TRUE(QFile::link(real, treeFile));
    add("X1");
    window().writeTreeFileNow();
    EXPECT_EQ(program.messages(), QStringList{});
    EXPECT_TRUE(QFileInfo(treeFile).isSymLink());
    EXPECT_EQ(nodesIn(real), (QStringList{"A", "X1"}));

    ASSERT_TRUE(QFile::remove(real));
    add("X2");
    ASSERT_EQ(program.messages().size(), 1);
    EXPECT_TRUE(program.messages()[0].contains("ссылка на файл"))
        << program.messages()[0].toStdString();
    EXPECT_EQ(topLevel(window()), (QStringList{"A", "X1"}));
    EXPECT_EQ(program.recordNames(), (QStringList{"A", "X1"}));
    EXPECT_TRUE(QFileInfo(treeFile).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(real));
}

// A change is kept in the base with its command and reaches the tree file off the window's
// thread; a run that stops before that leaves it to the next start, which shows it and writes
// it into the file.
TEST_F(TreeFileInPlace, ChangesKeptInTheBaseReachTheFileNowOrAtTheNextStart) {
    add("X1");
    EXPECT_TRUE(QTest::qWaitFor(
        [this] {
            return nodesIn(treeFile) == QStringList({"A", "X1"});
        },
        30000));

    // Stopped before the rewrite: the window goes without its close.
    add("X2");
    add("X3");
    restart(true);
    EXPECT_EQ(program.messages(), QStringList{});
    EXPECT_EQ(topLevel(window()), (QStringList{"A", "X1", "X2", "X3"}));
    window().writeTreeFileNow();
    EXPECT_EQ(nodesIn(treeFile), (QStringList{"A", "X1", "X2", "X3"}));
    EXPECT_FALSE(QFileInfo::exists(pending));
}

// Changes kept in the base follow the tree file they were made on: a file put in its place
// by hand since wins, the user is told, and the file is what the program then shows and keeps.
TEST_F(TreeFileInPlace, AFilePutInPlaceByHandWinsOverChangesKeptForAnother) {
    add("X1");
    // The close brings the tree file up to date; a run stopped after its next change would
    // have left that change in the base, kept for the file the base knows.
    program.program.window.reset();
    {
        auto base = infobase::SqlcipherConnection::open(
            program.program.path(QStringLiteral("Data/Quorlent.mdb")),
            infobase::branch_table::kPassword, {});
        infobase::inWriteTransaction(base, [&base] {
            infobase::tree_journal::append(base, infobase::TreeViewState{},
                                           {infobase::renameChange({1}, QStringLiteral("X2"))});
        });
    }
    infobase::TTreeNodes other;
    other.Add(nullptr, "A");
    other.Add(nullptr, "Z");
    infobase::writeTreeFile(treeFile, infobase::TreeViewState{}, other);
    restart(true);
    ASSERT_EQ(program.messages().size(), 1);
    EXPECT_TRUE(program.messages()[0].startsWith(
        "Последние изменения дерева, сохранённые в базе, не применены к файлу"))
        << program.messages()[0].toStdString();
    EXPECT_EQ(topLevel(window()), (QStringList{"A", "Z"}));
    EXPECT_EQ(nodesIn(treeFile), (QStringList{"A", "Z"}));

    restart(true);
    EXPECT_EQ(program.messages(), QStringList{});
    EXPECT_EQ(topLevel(window()), (QStringList{"A", "Z"}));
}

} // namespace
