// The tree file and the base agree after the program is killed at any step of a tree
// command: the change is wholly in both or wholly in neither. The test runs the program's
// window in a child process of its own binary, which kills itself at one step of the
// commit; a second child then starts on the same folder and connects.
#include "app/QuorlentApplication.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/TreeCommit.h"
#include "platform/ProgramFonts.h"
#include "ui/Form_Glavn.h"
#include "ui/ProgramWindows.h"
#include "ui/TreeModelAdapter.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using infobase::TTreeNode;
using infobase::TTreeNodes;

const QStringList kTree{"Корень", "Корень/Лист", "Другой"};
const QStringList kRecords{"Корень", "Лист", "Другой"};

struct Command {
    const char* name;
    const char* selected;
    const char* typed;
    QStringList treeAfter;
    QStringList recordsAfter;
};

const Command kCommands[] = {
    {"add",
     "Другой",
     "Новая",
     {"Корень", "Корень/Лист", "Другой", "Новая"},
     {"Корень", "Лист", "Другой", "Новая"}},
    {"sub-branch",
     "Другой",
     "Подветка",
     {"Корень", "Корень/Лист", "Другой", "Другой/Подветка"},
     {"Корень", "Лист", "Другой", "Подветка"}},
    {"rename",
     "Корень/Лист",
     "Листок",
     {"Корень", "Корень/Листок", "Другой"},
     {"Корень", "Листок", "Другой"}},
    {"delete", "Другой", "", {"Корень", "Корень/Лист"}, {"Корень", "Лист"}},
};

QString pathOf(const TTreeNode* node) {
    QString path = node->Text();
    for (const TTreeNode* up = node->Parent(); up; up = up->Parent()) {
        path = up->Text() + u'/' + path;
    }
    return path;
}

void collect(const TTreeNode* node, QStringList& paths) {
    for (; node; node = node->getNextSibling()) {
        paths << pathOf(node);
        collect(node->getFirstChild(), paths);
    }
}

QStringList pathsOf(const TTreeNodes& nodes) {
    QStringList paths;
    collect(nodes.getFirstNode(), paths);
    return paths;
}

TTreeNode* find(const TTreeNodes& nodes, const QString& path) {
    QList<TTreeNode*> todo;
    for (int i = 0; i < nodes.TopCount(); ++i) {
        todo << nodes.TopItem(i);
    }
    while (!todo.isEmpty()) {
        TTreeNode* node = todo.takeFirst();
        if (pathOf(node) == path) {
            return node;
        }
        for (int i = 0; i < node->Count(); ++i) {
            todo << node->Item(i);
        }
    }
    return nullptr;
}

// --- The child: the program's window on a folder.

// With `cold`, the tree file is written again (same bytes) between the start and the connect,
// as another program might: the base then cannot take the file read at the start as its own,
// and the first change writes the whole tree file instead of keeping the change in the base.
TForm_Glavn& startWindow(const QString& folder, std::unique_ptr<TForm_Glavn>& window,
                         bool cold = false) {
    QDir::setCurrent(folder);
    window = ui::createProgramWindows();
    TForm_Glavn* shown = window.get();
    QTimer::singleShot(0, shown, [shown] { shown->Timer1Timer(); });
    shown->show();
    if (cold) {
        QFile file(folder + "/Data/TreeView.dat");
        file.open(QIODevice::ReadWrite);
        const QByteArray bytes = file.readAll();
        file.seek(0);
        file.write(bytes);
    }
    shown->Button_podluchit_bazyClick();
    shown->PokazatClick();
    return *shown;
}

// Runs one command and brings the tree file up to date, killing the process after the given
// step of a commit; with `undo`, runs the command whole and kills the process during its undo
// instead.
[[noreturn]] void runCommand(const QString& folder, const QString& name, int killAt, bool undo,
                             bool cold) {
    std::unique_ptr<TForm_Glavn> owned;
    TForm_Glavn& window = startWindow(folder, owned, cold);
    const Command* command = nullptr;
    for (const Command& c : kCommands) {
        if (name == c.name) {
            command = &c;
        }
    }
    TTreeNode* node = find(window.TreeNodes, command->selected);
    window.TreeView1->setCurrentIndex(window.TreeModel->indexOf(node));
    window.TreeView1Click();
    window.Edit_Mame_Vetok->setText(command->typed);
    const auto killAtStep = [killAt] {
        infobase::setTreeCommitStepHook([killAt](infobase::TreeCommitStep step) {
            if (static_cast<int>(step) == killAt) {
                ::kill(::getpid(), SIGKILL);
            }
        });
    };
    if (!undo) {
        killAtStep();
    }
    try {
        if (name == "add") {
            window.SpeedButton_vvod_vetkiClick();
        } else if (name == "sub-branch") {
            window.SpeedButton_vvod_podvetkiClick();
        } else if (name == "rename") {
            window.SpeedButton3Click();
        } else {
            window.SpeedButton_DeleteClick();
        }
        if (undo) {
            window.writeTreeFileNow(); // the command's rewrite ends before the undo starts
            killAtStep();
            window.N_otmenitClick();
        }
        window.writeTreeFileNow();
    } catch (...) {
        ::_exit(3);
    }
    ::_exit(0);
}

// Starts again on the folder, connects, and prints the tree the window then holds.
[[noreturn]] void printTreeAfterConnect(const QString& folder) {
    std::unique_ptr<TForm_Glavn> owned;
    TForm_Glavn& window = startWindow(folder, owned);
    std::printf("%s\n", pathsOf(window.TreeNodes).join('|').toUtf8().constData());
    std::fflush(stdout);
    window.writeTreeFileNow();
    ::_exit(window.Store.Connected() ? 0 : 4);
}

// --- The test.

QString baseFile(const QString& folder) {
    return folder + "/Data/Quorlent.mdb";
}
QString treeFile(const QString& folder) {
    return folder + "/Data/TreeView.dat";
}

void seed(const QString& folder) {
    QDir(folder).mkpath("Data");
    infobase::branch_table::createBaseFile(baseFile(folder));
    auto base = infobase::SqlcipherConnection::open(baseFile(folder),
                                                    infobase::branch_table::kPassword, {});
    for (const QString& name : kRecords) {
        infobase::SqlStatement insert =
            base.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie) VALUES "
                         "('01.01.2026', ?, '')");
        insert.bindText(1, name.toUtf8());
        insert.step();
    }
    TTreeNodes nodes;
    for (const QString& path : kTree) {
        const qsizetype slash = path.lastIndexOf(u'/');
        nodes.AddChild(slash < 0 ? nullptr : find(nodes, path.left(slash)), path.mid(slash + 1));
    }
    infobase::writeTreeFile(treeFile(folder), infobase::TreeViewState{}, nodes);
}

QStringList recordNames(const QString& folder) {
    auto base = infobase::SqlcipherConnection::open(baseFile(folder),
                                                    infobase::branch_table::kPassword, {});
    infobase::SqlStatement select =
        base.prepare("SELECT Imya_vetok FROM Tab_DB_Delphi_10 ORDER BY rowid");
    QStringList names;
    while (select.step()) {
        names << QString::fromUtf8(select.columnText(0));
    }
    return names;
}

QStringList treeFileNodes(const QString& folder) {
    infobase::TreeViewState view;
    TTreeNodes nodes;
    infobase::readTreeFile(treeFile(folder), view, nodes);
    return pathsOf(nodes);
}

// "killed", or "exit <code>".
QString runChild(const QStringList& arguments, QByteArray* output = nullptr) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    EXPECT_TRUE(child.waitForFinished(60000));
    if (output) {
        *output = child.readAllStandardOutput().trimmed();
    }
    return child.exitStatus() == QProcess::CrashExit
               ? QStringLiteral("killed")
               : QStringLiteral("exit %1").arg(child.exitCode());
}

// Whether the change is in the files after a kill at the step. A change kept in the base is
// in once the base committed it (the step after its entry was stored); the later steps are the
// tree file's rewrite. A whole-file commit is in once its digest is committed.
bool inAfterKillAt(int step, bool wholeFile) {
    if (wholeFile) {
        return step > static_cast<int>(infobase::TreeCommitStep::DigestStored);
    }
    return step != static_cast<int>(infobase::TreeCommitStep::RecordWorkDone) &&
           step != static_cast<int>(infobase::TreeCommitStep::DigestStored);
}

TEST(TreeCommitKill, EveryStepOfEveryTreeCommandLeavesTheFilesAgreeing) {
    for (const bool cold : {false, true}) {
        for (const Command& command : kCommands) {
            for (int step = 1; step <= infobase::kTreeCommitSteps + 1; ++step) {
                const bool killed = step <= infobase::kTreeCommitSteps;
                SCOPED_TRACE(QStringLiteral("%1%2, %3")
                                 .arg(command.name, cold ? " (whole file)" : "")
                                 .arg(killed ? QString::number(step) : "no kill")
                                 .toStdString());
                QTemporaryDir folder;
                seed(folder.path());
                QStringList arguments{"--command", folder.path(), command.name,
                                      QString::number(step), "do"};
                if (cold) {
                    arguments << "cold";
                }
                EXPECT_EQ(runChild(arguments), killed ? "killed" : "exit 0");

                QByteArray shown;
                ASSERT_EQ(runChild({"--connect", folder.path()}, &shown), "exit 0");
                const bool in = !killed || inAfterKillAt(step, cold);
                const QStringList tree = in ? command.treeAfter : kTree;
                EXPECT_EQ(treeFileNodes(folder.path()), tree);
                EXPECT_EQ(QString::fromUtf8(shown).split('|', Qt::SkipEmptyParts), tree);
                EXPECT_EQ(recordNames(folder.path()), in ? command.recordsAfter : kRecords);
                EXPECT_FALSE(QFile::exists(infobase::pendingTreeFile(treeFile(folder.path()))));
            }
        }
    }
}

// The same for the undo of each command: the files hold the command's result or what was
// there before it, never a mix; and the next start removes what the killed run kept for undo.
TEST(TreeCommitKill, EveryStepOfAnUndoLeavesTheFilesAgreeing) {
    for (const Command& command : kCommands) {
        for (int step = 1; step <= infobase::kTreeCommitSteps; ++step) {
            SCOPED_TRACE(QStringLiteral("%1, %2").arg(command.name).arg(step).toStdString());
            QTemporaryDir folder;
            seed(folder.path());
            EXPECT_EQ(
                runChild({"--command", folder.path(), command.name, QString::number(step), "undo"}),
                "killed");

            QByteArray shown;
            ASSERT_EQ(runChild({"--connect", folder.path()}, &shown), "exit 0");
            const bool undone = inAfterKillAt(step, false);
            const QStringList tree = undone ? kTree : command.treeAfter;
            EXPECT_EQ(treeFileNodes(folder.path()), tree);
            EXPECT_EQ(QString::fromUtf8(shown).split('|', Qt::SkipEmptyParts), tree);
            EXPECT_EQ(recordNames(folder.path()), undone ? kRecords : command.recordsAfter);
            EXPECT_FALSE(QFile::exists(infobase::pendingTreeFile(treeFile(folder.path()))));
            auto base = infobase::SqlcipherConnection::open(baseFile(folder.path()),
                                                            infobase::branch_table::kPassword, {});
            infobase::SqlStatement kept =
                base.prepare("SELECT (SELECT count(*) FROM UndoRecordImages) + "
                             "(SELECT count(*) FROM UndoTreeFiles)");
            ASSERT_TRUE(kept.step());
            EXPECT_EQ(kept.columnInt64(0), 0);
            EXPECT_EQ(QDir(folder.path() + "/Data").entryList({"TreeView.dat.*"}, QDir::Files),
                      QStringList());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const bool child =
        argc >= 3 && (std::string(argv[1]) == "--command" || std::string(argv[1]) == "--connect");
    if (!child) {
        ::testing::InitGoogleTest(&argc, argv);
    }
    QuorlentApplication application(argc, argv);
    platform::registerProgramFonts();
    if (child) {
        const QString folder = QString::fromLocal8Bit(argv[2]);
        if (std::string(argv[1]) == "--connect") {
            printTreeAfterConnect(folder);
        }
        runCommand(folder, QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]),
                   argc > 5 && std::string(argv[5]) == "undo",
                   argc > 6 && std::string(argv[6]) == "cold");
    }
    return RUN_ALL_TESTS();
}
