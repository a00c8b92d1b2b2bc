#include "infobase/wholefile/BackupCopies.h"

#include "StoreTestSupport.h"
#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordStore.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/wholefile/BaseBackup.h"
#include "infobase/wholefile/ReplacementJournal.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace infobase;
using store_test::failureOf;
using store_test::fileBytes;
using store_test::runShell;
using store_test::TempBase;

struct Step {
    qint64 copied;
    qint64 total;
};

// Every file in the folder, hidden ones (the temporary copies) included.
QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void writeAt(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(offset));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray pattern(qint64 size, char seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i) {
        bytes[i] = char(seed + i * 7 + (i >> 12));
    }
    return bytes;
}

qint64 diskBytes(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0
               ? qint64(status.st_blocks) * 512
               : -1;
}

// Copies one plain file into `folder` through a backup set, noting the progress reports.
QString backUpFile(const QString& source, const QString& destination, std::vector<Step>* steps,
                   const CopyProgress& also = {}) {
    return failureOf([&] {
        BackupCopies copies(QStringLiteral("/no/base"), nullptr);
        copies.add(source, destination, [&](qint64 copied, qint64 total) {
            steps->push_back({copied, total});
            if (also) {
                also(copied, total);
            }
        });
        copies.replaceEarlier();
    });
}

// How many descriptors of this process are open on the file.
int descriptorsOn(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    int count = 0;
    for (const QFileInfo& fd :
         QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System)) {
        count += fd.symLinkTarget() == target ? 1 : 0;
    }
    return count;
}

TEST(BackupFileCopy, CopiesEachShapeOfFileWhole) {
    struct Case {
        const char* name;
        qint64 size;
        std::vector<std::pair<qint64, qint64>> data; // offset, length; the rest are holes
    };
    const qint64 piece = kCopyPieceBytes;
    const Case cases[] = {
        {"empty", 0, {}},
        {"one byte", 1, {{0, 1}}},
        {"one piece", piece, {{0, piece}}},
        {"one byte more than a piece", piece + 1, {{0, piece + 1}}},
        {"holes between and after data",
         5 * piece,
         {{0, 4096}, {2 * piece + 100, 70000}, {4 * piece, 10}}},
        {"a hole first", 3 * piece, {{3 * piece - 5000, 5000}}},
    };
    // From a source on another file system the kernel cannot copy, and the copy goes
    // through a buffer instead.
    QTemporaryDir memory(QStringLiteral("/dev/shm/backup-test-XXXXXX"));
    for (const Case& c : cases) {
        for (const bool elsewhere : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (elsewhere ? ", from another file system" : ""));
            if (elsewhere && !memory.isValid()) {
                continue;
            }
            QTemporaryDir dir;
            const QString source =
                (elsewhere ? memory.path() : dir.path()) + QStringLiteral("/source");
            const QString destination = dir.filePath(QStringLiteral("copy"));
            QFile(source).open(QIODevice::WriteOnly);
            for (const auto& [offset, length] : c.data) {
                writeAt(source, offset, pattern(length, char(offset)));
            }
            ASSERT_EQ(::truncate(QFile::encodeName(source).constData(), c.size), 0);
            writeAt(destination, 0, "an earlier copy");

            std::vector<Step> steps;
            EXPECT_EQ(backUpFile(source, destination, &steps), "");
            EXPECT_EQ(fileBytes(destination), fileBytes(source));
            EXPECT_LE(diskBytes(destination), diskBytes(source) + 4096) << "holes stay holes";
            EXPECT_EQ(filesIn(dir.path()),
                      elsewhere ? QStringList{"copy"} : (QStringList{"copy", "source"}));
            QFile::remove(source);
            ASSERT_FALSE(steps.empty());
            EXPECT_EQ(steps.front().copied, 0);
            EXPECT_EQ(steps.back().copied, c.size);
            // The bar moves after each piece of data; a hole is passed in one step.
            const bool holes = c.data.size() != 1 || c.data[0].second != c.size;
            for (std::size_t i = 0; i < steps.size(); ++i) {
                EXPECT_EQ(steps[i].total, c.size);
                if (i > 0) {
                    EXPECT_GT(steps[i].copied, steps[i - 1].copied);
                    EXPECT_TRUE(holes || steps[i].copied - steps[i - 1].copied <= piece);
                }
            }
        }
    }
}

TEST(BackupFileCopy, ASourceThatShrinksWhileCopiedEndsTheCopyAndKeepsTheEarlierOne) {
    struct Case {
        const char* name;
        bool sparseTail; // the part still to copy is a hole
    };
    for (const Case c : {Case{"data still to copy", false}, Case{"a hole still to copy", true}}) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("source"));
        const QString destination = dir.filePath(QStringLiteral("copy"));
        QFile(source).open(QIODevice::WriteOnly);
        writeAt(source, 0, pattern(kCopyPieceBytes + 100, 1));
        if (c.sparseTail) {
            ASSERT_EQ(::truncate(QFile::encodeName(source).constData(), 4 * kCopyPieceBytes), 0);
        } else {
            writeAt(source, kCopyPieceBytes + 100, pattern(3 * kCopyPieceBytes, 2));
        }
        writeAt(destination, 0, "an earlier copy");

        std::vector<Step> steps;
        const QString failure = backUpFile(source, destination, &steps, [&](qint64 copied, qint64) {
            if (copied > 0) {
                ::truncate(QFile::encodeName(source).constData(), kCopyPieceBytes + 50);
            }
        });
        EXPECT_EQ(
            failure,
            QStringLiteral("The file \"%1\" became shorter while it was copied.").arg(source));
        EXPECT_EQ(fileBytes(destination), "an earlier copy");
        EXPECT_EQ(filesIn(dir.path()), (QStringList{"copy", "source"}));
    }
}

// The program has the base open and a change pending: the copy holds every posted record
// and opens in the stock shell with the password; the store goes on posting and its locks
// still keep another process out.
TEST(BaseBackup, ACopyTakenWhileConnectedIsTheBaseAsPostedAndTheStoreKeepsItsLocks) {
    TempBase base;
    base.seed({{"первая", "описание"}, {"вторая", "", QByteArray(300000, 'x')}});
    const QString copyPath = base.folder() + QStringLiteral("/backup.mdb");
    RecordStore store;
    store.connect(base.path(), 300);
    BranchQuery& q = store.Query_Glav;
    q.Insert();
    q.FieldByName("Imya_vetok").SetAsString("третья");
    q.Post();
    q.Edit();
    q.FieldByName("Opisanie").SetAsString("не записано");

    int descriptorsDuringCopy = -1;
    EXPECT_EQ(failureOf([&] {
                  BackupCopies copies(base.path(), &store.ADOConnection1);
                  copies.add(base.path(), copyPath, [&](qint64, qint64) {
                      descriptorsDuringCopy = descriptorsOn(base.path());
                  });
                  copies.replaceEarlier();
              }),
              "");
    EXPECT_EQ(descriptorsDuringCopy, 1) << "only SQLite's own descriptor of the base";
    EXPECT_EQ(filesIn(base.folder()), (QStringList{"Quorlent.mdb", "backup.mdb"}));

    const QString shown =
        runShell(copyPath, "PRAGMA key='qmtrevolk';\n"
                           "SELECT Imya_vetok, Opisanie FROM Tab_DB_Delphi_10 ORDER BY rowid;\n"
                           "SELECT length(\"File\") FROM Tab_DB_Delphi_10 WHERE rowid = 2;\n");
    EXPECT_EQ(shown, "первая|описание\nвторая|\nтретья|\n300000\n");

    q.Post();
    EXPECT_EQ(base.column("третья", "Opisanie"), "не записано");

    store.ADOConnection1.execute("BEGIN IMMEDIATE");
    const QString other =
        runShell(base.path(), "PRAGMA key='qmtrevolk';\nPRAGMA busy_timeout=200;\n"
                              "INSERT INTO Tab_DB_Delphi_10 (Imya_vetok) VALUES ('чужая');\n");
    EXPECT_TRUE(other.contains("database is locked")) << other.toStdString();
    store.ADOConnection1.execute("COMMIT");
    EXPECT_EQ(base.names(), (QStringList{"первая", "вторая", "третья"}));
}

// A base that no longer opens never replaces the last good copy of it.
TEST(BaseBackup, ADamagedBaseKeepsTheEarlierCopy) {
    TempBase base;
    base.seed({{"a"}});
    const QString copyPath = base.folder() + QStringLiteral("/backup.mdb");
    const auto backUp = [&] {
        return failureOf([&] {
            BackupCopies copies(base.path(), nullptr);
            copies.add(base.path(), copyPath, [](qint64, qint64) {});
            copies.replaceEarlier();
        });
    };
    ASSERT_EQ(backUp(), "");
    const QByteArray good = fileBytes(copyPath);
    writeAt(base.path(), 0, QByteArray(64, '\0'));
    EXPECT_EQ(backUp(),
              QStringLiteral("Cannot open file \"%1\". file is encrypted or is not a database")
                  .arg(base.path()));
    EXPECT_EQ(fileBytes(copyPath), good);
    EXPECT_EQ(filesIn(base.folder()), (QStringList{"Quorlent.mdb", "backup.mdb"}));
}

// Pages of an attachment that the cipher no longer accepts: the records still count, but
// the copy is refused, and the last good copy stays. The check of a sound base reports its
// progress up to the whole file.
TEST(BaseBackup, DamagedAttachmentPagesKeepTheEarlierCopy) {
    TempBase base;
    base.seed({{"a"}, {"b", "", pattern(400000, 3)}});
    const QString copyPath = base.folder() + QStringLiteral("/backup.mdb");
    std::vector<Step> checked;
    const auto backUp = [&] {
        checked.clear();
        return failureOf([&] {
            BackupCopies copies(base.path(), nullptr);
            copies.add(
                base.path(), copyPath, [](qint64, qint64) {},
                [&](qint64 copied, qint64 total) {
                    checked.push_back({copied, total});
                });
            copies.replaceEarlier();
        });
    };
    ASSERT_EQ(backUp(), "");
    const qint64 size = QFileInfo(base.path()).size();
    ASSERT_FALSE(checked.empty());
    EXPECT_EQ(checked.front().copied, 0);
    EXPECT_EQ(checked.back().copied, size);
    EXPECT_EQ(checked.back().total, size);
    const QByteArray good = fileBytes(copyPath);

    // The attachment fills most of the file: its middle is overflow pages.
    writeAt(base.path(), (size / 2) & ~qint64(4095), QByteArray(3 * 1024, '\x55'));
    EXPECT_EQ(branchRecordCount(SqlcipherConnection::open(base.path(), branch_table::kPassword,
                                                          {.readOnly = true})),
              2);
    EXPECT_EQ(backUp(), QStringLiteral("Файл %1 повреждён.\r"
                                       "Копия не сохранена, прежние копии остались как были.")
                            .arg(base.path()));
    EXPECT_EQ(fileBytes(copyPath), good);
    EXPECT_EQ(filesIn(base.folder()), (QStringList{"Quorlent.mdb", "backup.mdb"}));
}

// The base and the tree file of the base's folder backed up into `folder` by a child
// process that kills itself at its k-th step: a step of the backup, or a piece of a copy
// done. Says whether the child was killed; false when it finished first.
bool backUpKilledAt(const TempBase& base, const QString& tree, const QString& folder, int k) {
    const pid_t child = ::fork();
    if (child == 0) {
        int steps = 0;
        const auto count = [&] {
            if (++steps == k) {
                ::raise(SIGKILL);
            }
        };
        try {
            BackupCopies copies(base.path(), nullptr);
            copies.setStepHook(count);
            const CopyProgress progress = [&](qint64 copied, qint64) {
                if (copied > 0) {
                    count();
                }
            };
            copies.add(base.path(), folder + QStringLiteral("/Quorlent.mdb"), progress);
            copies.add(tree, folder + QStringLiteral("/TreeView.dat"), progress);
            copies.replaceEarlier();
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// The pair of copies in the folder: the records of the base copy and the tree copy's bytes.
QString pairIn(const QString& folder) {
    QStringList names;
    try {
        const auto copy = SqlcipherConnection::open(folder + QStringLiteral("/Quorlent.mdb"),
                                                    branch_table::kPassword, {.readOnly = true});
        auto select = copy.prepare("SELECT Imya_vetok FROM Tab_DB_Delphi_10 ORDER BY rowid");
        while (select.step()) {
            names << QString::fromUtf8(select.columnText(0));
        }
    } catch (const Failure& failure) {
        names << failure.message();
    }
    const QByteArray tree = fileBytes(folder + QStringLiteral("/TreeView.dat"));
    return names.join(',') + QStringLiteral(" + tree of %1 bytes").arg(tree.size());
}

// A backup killed at any step, then finished by the next start or by the next backup:
// always one whole set of copies, from one backup, and no temporary file left behind. Nothing
// else is touched: a file named like an earlier version's temporary may be the user's own.
TEST(BackupCopiesKilled, TheNextStartOrBackupLeavesOneWholeSetAndNoLeftovers) {
    TempBase base;
    base.seed({{"первая"}, {"вторая", "", pattern(300000, 5)}});
    const QString tree = base.folder() + QStringLiteral("/TreeView.dat");
    const QString folder = base.folder() + QStringLiteral("/Backup copies");
    ASSERT_TRUE(QDir().mkpath(folder));
    writeAt(tree, 0, "TPF0 earlier");
    ASSERT_FALSE(backUpKilledAt(base, tree, folder, -1));
    const QString earlier = pairIn(folder);
    const QByteArray earlierBase = fileBytes(folder + QStringLiteral("/Quorlent.mdb"));
    const QByteArray earlierTree = fileBytes(folder + QStringLiteral("/TreeView.dat"));
    base.seed({{"третья"}});
    writeAt(tree, 0, pattern(2 * kCopyPieceBytes + 1, 9)); // copied in three pieces
    const QString later =
        QStringLiteral("первая,вторая,третья + tree of %1 bytes").arg(2 * kCopyPieceBytes + 1);
    const QStringList ours{".Quorlent.mdb.a1B2c3", "Quorlent.mdb", "TreeView.dat", "notes.txt"};

    QSet<QString> afterStart;
    int k = 1;
    for (;; ++k) {
        bool finished = false;
        for (const bool byStart : {true, false}) {
            SCOPED_TRACE(QStringLiteral("killed at step %1, finished by the next %2")
                             .arg(k)
                             .arg(byStart ? "start" : "backup")
                             .toStdString());
            // The earlier set, and a user's files, one named like an earlier version's
            // temporary.
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
            writeAt(folder + QStringLiteral("/Quorlent.mdb"), 0, earlierBase);
            writeAt(folder + QStringLiteral("/TreeView.dat"), 0, earlierTree);
            writeAt(folder + QStringLiteral("/notes.txt"), 0, "the user's");
            writeAt(folder + QStringLiteral("/.Quorlent.mdb.a1B2c3"), 0, earlierBase);

            if (!backUpKilledAt(base, tree, folder, k)) {
                finished = true;
                EXPECT_EQ(pairIn(folder), later);
                break;
            }
            if (byStart) {
                EXPECT_EQ(failureOf([&] {
                              finishReplacements(folder, {"Quorlent.mdb", "TreeView.dat"});
                          }),
                          "");
                const QString pair = pairIn(folder);
                EXPECT_TRUE(pair == earlier || pair == later) << pair.toStdString();
                afterStart.insert(pair);
            } else {
                EXPECT_FALSE(backUpKilledAt(base, tree, folder, -1));
                EXPECT_EQ(pairIn(folder), later);
            }
            EXPECT_EQ(filesIn(folder), ours);
            EXPECT_EQ(fileBytes(folder + QStringLiteral("/notes.txt")), "the user's");
            EXPECT_EQ(fileBytes(folder + QStringLiteral("/.Quorlent.mdb.a1B2c3")), earlierBase);
        }
        if (finished) {
            break;
        }
    }
    EXPECT_GE(k, 10) << "every step of the backup had its kill";
    EXPECT_EQ(afterStart, (QSet<QString>{earlier, later}));
}

// Read-only sources copy; a backup folder that cannot be written, or a copy that cannot be
// put in place, leaves every earlier copy as it was and no temporary file behind.
TEST(BackupCopiesAsUser, ReadOnlySourcesCopyAndRefusedFoldersKeepTheEarlierCopies) {
    const std::optional<QString> problem = store_test::runUnprivileged([]() -> QString {
        QStringList problems;
        TempBase base;
        base.seed({{"a"}, {"b"}});
        const QString tree = base.folder() + QStringLiteral("/TreeView.dat");
        writeAt(tree, 0, "TPF0 tree");
        const QString folder = base.folder() + QStringLiteral("/Backup copies");
        QDir().mkpath(folder);
        const QString baseCopy = folder + QStringLiteral("/Quorlent.mdb");
        const QString treeCopy = folder + QStringLiteral("/TreeView.dat");
        ::chmod(QFile::encodeName(base.path()).constData(), 0444);
        ::chmod(QFile::encodeName(tree).constData(), 0444);
        const auto backUp = [&](const QString& treeDestination,
                                const std::function<void()>& between) {
            return failureOf([&] {
                BackupCopies copies(base.path(), nullptr);
                copies.add(base.path(), baseCopy, [](qint64, qint64) {});
                copies.add(tree, treeDestination, [](qint64, qint64) {});
                between();
                copies.replaceEarlier();
            });
        };

        QString failure = backUp(treeCopy, [] {});
        if (!failure.isEmpty() || fileBytes(treeCopy) != "TPF0 tree" ||
            branchRecordCount(SqlcipherConnection::open(baseCopy, branch_table::kPassword,
                                                        {.readOnly = true})) != 2) {
            problems << "read-only sources: " + failure;
        }
        const QByteArray earlierBase = fileBytes(baseCopy);

        ::chmod(QFile::encodeName(folder).constData(), 0555);
        failure = backUp(treeCopy, [] {});
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        if (!failure.startsWith("Cannot create file \"" + baseCopy + "\". Permission denied")) {
            problems << "read-only folder: " + failure;
        }
        if (fileBytes(baseCopy) != earlierBase || fileBytes(treeCopy) != "TPF0 tree" ||
            filesIn(folder) != QStringList{"Quorlent.mdb", "TreeView.dat"}) {
            problems << QStringLiteral("read-only folder: the earlier copies changed");
        }

        // The base's copy is put in place first; the tree's folder then refuses its copy.
        const QString otherFolder = base.folder() + QStringLiteral("/other");
        QDir().mkpath(otherFolder);
        ::chmod(QFile::encodeName(base.path()).constData(), 0644);
        base.execute("DELETE FROM Tab_DB_Delphi_10");
        failure = backUp(otherFolder + QStringLiteral("/TreeView.dat"),
                         [&] { ::chmod(QFile::encodeName(otherFolder).constData(), 0555); });
        ::chmod(QFile::encodeName(otherFolder).constData(), 0755);
        if (!failure.startsWith("Cannot create file")) {
            problems << "refused rename: " + failure;
        }
        // (The refusing folder refuses the removal of its temporary copy as well.)
        if (fileBytes(baseCopy) != earlierBase ||
            filesIn(folder) != QStringList{"Quorlent.mdb", "TreeView.dat"} ||
            filesIn(otherFolder).contains("TreeView.dat")) {
            problems << QStringLiteral("refused rename: the earlier base copy is not back");
        }
        return problems.join("; ");
    });
    if (!problem) {
        GTEST_SKIP() << "cannot act as an unprivileged user here";
    }
    EXPECT_EQ(*problem, "");
}

} // namespace
