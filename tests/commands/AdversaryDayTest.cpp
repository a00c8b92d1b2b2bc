// A day of mixed work on one folder, killed again and again at random moments: after every
// kill, once the next start has settled what the kill left, the tree file reads whole, its
// names and the records' names agree one to one, no committed tree waits beside it, and the
// backup pair agrees with itself, with no temporary left beside it. Some runs work under a
// base that another program holds locked for a while, with a file size limit that stands for
// a full disk, or with a tree file that cannot be replaced for a while; a second start
// through a folder whose Data is a link to the same Data is refused.
//
// The test runs the program's window in child processes of its own binary. By default it
// kills a few times; QUORLENT_ADVERSARY_KILLS=N asks for a longer run, which prints its
// figures.
#include "ModalWatch.h"
#include "app/QuorlentApplication.h"
#include "infobase/AppPaths.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/BaseCheck.h"
#include "infobase/wholefile/KilledRunLeftovers.h"
#include "infobase/wholefile/TreeCommit.h"
#include "infobase/wholefile/TreeFileRewrite.h"
#include "platform/FolderLock.h"
#include "platform/ProgramFonts.h"
#include "ui/Form_Glavn.h"
#include "ui/ProgramWindows.h"
#include "ui/TreeModelAdapter.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using infobase::TTreeNode;
using infobase::TTreeNodes;

std::vector<TTreeNode*> allNodes(const TTreeNodes& nodes) {
    std::vector<TTreeNode*> all;
    for (TTreeNode* node = nodes.getFirstNode(); node != nullptr;) {
        all.push_back(node);
        if (TTreeNode* child = node->getFirstChild()) {
            node = child;
            continue;
        }
        while (node != nullptr && node->getNextSibling() == nullptr) {
            node = node->Parent();
        }
        node = node != nullptr ? node->getNextSibling() : nullptr;
    }
    return all;
}

QStringList namesOf(const TTreeNodes& nodes) {
    QStringList names;
    for (const TTreeNode* node : allNodes(nodes)) {
        names << node->Text();
    }
    names.sort();
    return names;
}

// --- The child: a day's work, until it is killed.

void select(TForm_Glavn& window, TTreeNode* node) {
    window.TreeView1->setCurrentIndex(window.TreeModel->indexOf(node));
    window.TreeView1Click();
}

[[noreturn]] void workDay(const QString& folder, quint32 seed) {
    QDir::setCurrent(folder);
    const platform::FolderLocks locks(infobase::AppPaths{folder}.lockedFolders());
    if (locks.heldElsewhere()) {
        ::_exit(1);
    }
    ModalWatch watch; // answers every message the commands show
    std::unique_ptr<TForm_Glavn> owned = ui::createProgramWindows();
    TForm_Glavn& window = *owned;
    QTimer::singleShot(0, &window, [&window] { window.Timer1Timer(); });
    window.show();
    window.Button_podluchit_bazyClick();
    window.PokazatClick();
    std::printf("ready\n");
    std::fflush(stdout);
    QRandomGenerator random(seed);
    for (int step = 0;; ++step) {
        const std::vector<TTreeNode*> nodes = allNodes(window.TreeNodes);
        if (!nodes.empty()) {
            select(window, nodes[random.bounded(int(nodes.size()))]);
        }
        const QString name = QStringLiteral("Ветка %1-%2").arg(seed).arg(step);
        try {
            switch (random.bounded(10)) {
            case 0:
            case 1:
                window.Edit_Mame_Vetok->setText(name);
                window.SpeedButton_vvod_vetkiClick();
                break;
            case 2:
                window.Edit_Mame_Vetok->setText(name);
                window.SpeedButton_vvod_podvetkiClick();
                break;
            case 3:
                window.Edit_Mame_Vetok->setText(name);
                window.SpeedButton3Click();
                break;
            case 4:
                window.SpeedButton_DeleteClick();
                break;
            case 5:
                window.Memo_opisanie->setPlainText(name);
                window.SpeedButton_zam_opisanie_podvetkiClick();
                break;
            case 6:
            case 7:
                window.MoveSelectedBranch(infobase::BranchStep(random.bounded(4)));
                break;
            case 8:
                window.N_po_alfavituClick();
                break;
            default:
                window.N_save_copyClick();
                break;
            }
        } catch (...) {
            // A refused command (a locked base, a full disk) is the day's lot; the work goes on.
        }
        QCoreApplication::processEvents();
    }
}

// --- The parent: kills, and looks at what each kill left.

QString baseFile(const QString& folder) {
    return folder + "/Data/Quorlent.mdb";
}
QString treeFile(const QString& folder) {
    return folder + "/Data/TreeView.dat";
}

void seedFolder(const QString& folder) {
    QDir(folder).mkpath("Data");
    infobase::branch_table::createBaseFile(baseFile(folder));
    auto base = infobase::SqlcipherConnection::open(baseFile(folder),
                                                    infobase::branch_table::kPassword, {});
    TTreeNodes nodes;
    TTreeNode* top = nullptr;
    base.execute("BEGIN");
    for (int i = 0; i < 200; ++i) {
        const QString name = QStringLiteral("Начало %1").arg(i);
        if (i % 4 == 0) {
            top = nodes.AddChild(nullptr, name);
        } else {
            nodes.AddChild(top, name);
        }
        infobase::SqlStatement insert =
            base.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie) VALUES "
                         "('01.01.2026', ?, '')");
        insert.bindText(1, name.toUtf8());
        insert.step();
    }
    base.execute("COMMIT");
    infobase::writeTreeFile(treeFile(folder), infobase::TreeViewState{}, nodes);
}

QStringList recordNames(const QString& base) {
    auto connection =
        infobase::SqlcipherConnection::open(base, infobase::branch_table::kPassword, {});
    infobase::SqlStatement select = connection.prepare("SELECT Imya_vetok FROM Tab_DB_Delphi_10");
    QStringList names;
    while (select.step()) {
        names << QString::fromUtf8(select.columnText(0));
    }
    names.sort();
    return names;
}

QStringList treeNames(const QString& tree) {
    infobase::checkTreeFile(tree);
    infobase::TreeViewState view;
    TTreeNodes nodes;
    infobase::readTreeFile(tree, view, nodes);
    return namesOf(nodes);
}

// What a start and a connect do with what a killed run left; then every rule of the day.
// Returns the faults found, one line each; counts the committed trees the start put in place.
QStringList faultsAfterKill(const QString& folder, int& placed) {
    QStringList faults;
    const infobase::AppPaths paths{folder};
    infobase::clearKilledRunLeftovers(paths);
    // What the next start does before anything else: a committed new tree file put in place,
    // the changes kept in the base carried out on the tree file.
    try {
        placed += infobase::bringTreeFileUpToDate(paths.baseFile(), paths.treeFile()) ? 1 : 0;
    } catch (const Failure& failure) {
        faults << "a committed tree left waiting: " + failure.message();
    }
    const infobase::BaseCheckResult check =
        infobase::checkBaseFile(paths.baseFile(), [](qint64, qint64) {});
    if (!check.failure.isEmpty() || !check.damage.isEmpty()) {
        faults << "the base: " + check.failure + check.damage;
    }
    try {
        QStringList tree = treeNames(paths.treeFile());
        const QStringList records = recordNames(paths.baseFile());
        if (tree != records) {
            faults << QStringLiteral("tree and records disagree: %1 nodes, %2 records")
                          .arg(tree.size())
                          .arg(records.size());
        }
        if (tree.removeDuplicates() != 0) {
            // Names are unique among the branches a day makes; the seed has none twice.
            faults << "a name twice in the tree";
        }
    } catch (const Failure& failure) {
        faults << "the tree file: " + failure.message();
    }
    const QString copies = paths.backupFolder();
    for (const QString& name :
         QDir(copies).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (name != "Quorlent.mdb" && name != "TreeView.dat") {
            faults << "left in the backup folder: " + name;
        }
    }
    if (QFile::exists(copies + "TreeView.dat") && QFile::exists(copies + "Quorlent.mdb")) {
        try {
            if (treeNames(copies + "TreeView.dat") != recordNames(copies + "Quorlent.mdb")) {
                faults << "the backup pair disagrees";
            }
        } catch (const Failure& failure) {
            faults << "the backup: " + failure.message();
        }
    }
    return faults;
}

// The kind of trouble one run of the day meets besides its kill.
enum class Trouble { None, LockedBase, FullDisk, SharedData, TreeFileBlocked };

// For a while no rename can replace the tree file (as when it is made immutable, or belongs
// to another user in a shared folder with the sticky bit): the file is moved aside and a
// folder with a file in it stands at its name. Afterwards the file comes back, unless a
// rename put a newer one in place in the meantime.
class BlockedTreeFile {
public:
    explicit BlockedTreeFile(const QString& tree) : tree_(tree), aside_(tree + ".aside") {
        if (std::rename(QFile::encodeName(tree_).constData(),
                        QFile::encodeName(aside_).constData()) != 0) {
            return;
        }
        blocked_ = QDir().mkpath(tree_ + "/in the way");
        if (!blocked_) {
            QFile::remove(aside_); // a newer file came in between
        }
    }
    ~BlockedTreeFile() {
        if (!blocked_) {
            return;
        }
        QDir(tree_).removeRecursively();
        if (::renameat2(AT_FDCWD, QFile::encodeName(aside_).constData(), AT_FDCWD,
                        QFile::encodeName(tree_).constData(), RENAME_NOREPLACE) != 0) {
            QFile::remove(aside_);
        }
    }
    BlockedTreeFile(const BlockedTreeFile&) = delete;
    BlockedTreeFile& operator=(const BlockedTreeFile&) = delete;
    bool blocked() const { return blocked_; }

private:
    QString tree_;
    QString aside_;
    bool blocked_ = false;
};

TEST(AdversaryDay, KillsAtRandomMomentsNeverLeaveTheFilesDisagreeing) {
    const int wanted = qEnvironmentVariableIsSet("QUORLENT_ADVERSARY_KILLS")
                           ? qEnvironmentVariableIntValue("QUORLENT_ADVERSARY_KILLS")
                           : 3;
    QTemporaryDir root;
    const QString folder = root.filePath("day");
    seedFolder(folder);
    // A second application folder whose Data is the day's, through a link.
    const QString linked = root.filePath("linked");
    QDir().mkpath(linked);
    ASSERT_TRUE(QFile::link(folder + "/Data", linked + "/Data"));

    QRandomGenerator random(20261211);
    int kills = 0, runs = 0, locked = 0, full = 0, shared = 0, blocked = 0, ended = 0;
    int placed = 0;
    QStringList faults;
    while (kills < wanted) {
        ++runs;
        const auto trouble = Trouble(random.bounded(2) == 0 ? 0 : 1 + random.bounded(4));
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{"--day", folder, QString::number(random.generate())};
        if (trouble == Trouble::FullDisk) {
            const qint64 room = QFileInfo(baseFile(folder)).size() + random.bounded(64) * 1024;
            arguments << "--file-size-limit" << QString::number(room);
            ++full;
        }
        child.start(QCoreApplication::applicationFilePath(), arguments);
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(child.waitForReadyRead(60000)) << "the day starts";
        if (trouble == Trouble::SharedData) {
            QProcess second;
            second.start(QCoreApplication::applicationFilePath(), {"--day", linked, "1"});
            ASSERT_TRUE(second.waitForFinished(60000));
            if (second.exitCode() != 1) {
                faults << "a second start through the linked Data was not refused";
            }
            ++shared;
        }
        std::optional<infobase::SqlcipherConnection> holder;
        if (trouble == Trouble::LockedBase) {
            holder = infobase::SqlcipherConnection::open(baseFile(folder),
                                                         infobase::branch_table::kPassword, {});
            holder->execute("BEGIN EXCLUSIVE");
            child.waitForFinished(int(random.bounded(200, 1500)));
            holder->execute("ROLLBACK");
            holder.reset();
            ++locked;
        }
        std::optional<BlockedTreeFile> block;
        if (trouble == Trouble::TreeFileBlocked) {
            child.waitForFinished(int(random.bounded(50, 1000)));
            block.emplace(treeFile(folder));
            blocked += block->blocked() ? 1 : 0;
            child.waitForFinished(int(random.bounded(200, 1500)));
            // Half the time the kill comes while the file is still blocked.
            if (random.bounded(2) == 0) {
                block.reset();
            }
        }
        child.waitForFinished(int(random.bounded(50, 2500)));
        if (child.state() == QProcess::Running) {
            ::kill(pid_t(child.processId()), SIGKILL);
            ++kills;
        } else {
            ++ended; // a day that ended by itself is a fault of its own
            faults << QStringLiteral("run %1 ended by itself").arg(runs);
        }
        child.waitForFinished(10000);
        block.reset();
        for (const QString& fault : faultsAfterKill(folder, placed)) {
            faults << QStringLiteral("after run %1: %2").arg(runs).arg(fault);
        }
    }
    const QStringList branches = treeNames(treeFile(folder));
    std::printf("runs %d, kills %d, under a locked base %d, with a full disk %d, beside a "
                "second start on a shared Data %d, with the tree file blocked %d, ended by "
                "themselves %d, trees brought up to date by the next start %d, faults %lld; "
                "branches at the end %lld (200 at the start), of the day's own %lld\n",
                runs, kills, locked, full, shared, blocked, ended, placed, qlonglong(faults.size()),
                qlonglong(branches.size()),
                qlonglong(branches.filter(QStringLiteral("Ветка")).size()));
    EXPECT_EQ(faults, QStringList{}) << faults.join('\n').toStdString();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const bool child = argc >= 4 && std::string(argv[1]) == "--day";
    if (!child) {
        ::testing::InitGoogleTest(&argc, argv);
    }
    QuorlentApplication application(argc, argv);
    platform::registerProgramFonts();
    if (child) {
        if (argc >= 6 && std::string(argv[4]) == "--file-size-limit") {
            // Writes beyond the limit fail as on a full disk, instead of ending the process.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(std::atoll(argv[5])), rlim_t(std::atoll(argv[5]))};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        workDay(QString::fromLocal8Bit(argv[2]), quint32(std::strtoul(argv[3], nullptr, 10)));
    }
    return RUN_ALL_TESTS();
}
