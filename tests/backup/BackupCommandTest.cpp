#include "ProgramFolder.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "ui/Form_Glavn.h"

#include <QFile>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kDone = QStringLiteral("Копии файлов баз дерева\rскопированы в папку Backup copies.");
const QString kMissing = QStringLiteral("Не найдены файлы: Quorlent.mdb и TreeView.dat");

// What the progress bar showed while the command's one window (message or error box) stood.
struct BarSeen {
    bool visible = false;
    int maximum = -1;
    int value = -1;
};

// Chooses "Сохранить копию данных" from the event loop, as a click on the menu would, and
// waits until the command has shown its one window and ended.
BarSeen runBackup(ProgramFolder& program) {
    TForm_Glavn& window = *program.window;
    BarSeen bar;
    program.watch.seen.clear();
    program.watch.onShown = [&](QWidget*) {
        bar = {window.ProgressBar1->isVisible(), window.ProgressBar1->maximum(),
               window.ProgressBar1->value()};
    };
    QTimer::singleShot(0, &window, [&window] { window.N_save_copy->trigger(); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !program.watch.seen.isEmpty(); }, 60000));
    program.watch.onShown = nullptr;
    return bar;
}

// Notes the bar's position each time the bar is painted.
class PositionsPainted : public QObject {
public:
    explicit PositionsPainted(QProgressBar* bar) : bar_(bar) { bar->installEventFilter(this); }
    QList<int> positions;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            positions << bar_->value();
        }
        return false;
    }

private:
    QProgressBar* bar_;
};

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList namesIn(const QString& base) {
    const auto connection = infobase::SqlcipherConnection::open(
        base, infobase::branch_table::kPassword, {.readOnly = true});
    auto select = connection.prepare("SELECT Imya_vetok FROM Tab_DB_Delphi_10 ORDER BY rowid");
    QStringList names;
    while (select.step()) {
        names << QString::fromUtf8(select.columnText(0));
    }
    return names;
}

void post(TForm_Glavn& window, const QString& name) {
    window.Query_Glav.Insert();
    window.Query_Glav.FieldByName("Imya_vetok").SetAsString(name);
    window.Query_Glav.Post();
}

TEST(BackupCommand, WithoutBothDataFilesSaysSoAndLeavesOnlyTheFolder) {
    struct Case {
        const char* name;
        bool base;
        bool tree;
    };
    for (const Case c : {Case{"neither", false, false}, Case{"no tree file", true, false},
                         Case{"no base file", false, true}}) {
        SCOPED_TRACE(c.name);
        ProgramFolder program;
        if (c.base) {
            program.createBase();
        }
        TForm_Glavn& window = program.start();
        if (c.tree) {
            program.writeFile(QStringLiteral("Data/TreeView.dat"), "TPF0");
        }
        const BarSeen bar = runBackup(program);
        ASSERT_EQ(program.watch.seen.size(), 1);
        EXPECT_EQ(program.watch.seen[0].kind, "message");
        EXPECT_EQ(program.watch.seen[0].text, kMissing);
        EXPECT_FALSE(bar.visible);
        EXPECT_TRUE(QFileInfo(program.path(QStringLiteral("Backup copies"))).isDir());
        EXPECT_TRUE(filesIn(program.path(QStringLiteral("Backup copies"))).isEmpty());
        EXPECT_FALSE(window.ProgressBar1->isVisible());
    }
}

// Asks for the window to close, as the window manager's close box does, the first time the
// bar is painted part-way through a copy: the request arrives while the command lets events
// through.
class CloseWhilePainted : public QObject {
public:
    explicit CloseWhilePainted(TForm_Glavn& window) : window_(window) {
        window.ProgressBar1->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        QProgressBar* bar = window_.ProgressBar1;
        if (!asked_ && event->type() == QEvent::Paint && bar->value() > 0 &&
            bar->value() < bar->maximum()) {
            asked_ = true;
            QTimer::singleShot(0, &window_, &QWidget::close);
        }
        return false;
    }

private:
    TForm_Glavn& window_;
    bool asked_ = false;
};

// A close asked for while a backup copies waits until the backup has ended: the shut-down
// does not remove Temp or end the run under the copy.
TEST(BackupCommand, ACloseDuringTheCopyWaitsForTheBackup) {
    ProgramFolder program;
    program.createBase();
    TForm_Glavn& window = program.start();
    program.writeFile(QStringLiteral("Data/TreeView.dat"), QByteArray(20 << 20, 'z'));
    CloseWhilePainted closer(window);
    runBackup(program);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
    EXPECT_EQ(program.watch.texts(), (QStringList{kDone, QStringLiteral("Мусор удален.")}));
    EXPECT_EQ(bytesOf(program.path(QStringLiteral("Backup copies/TreeView.dat"))).size(), 20 << 20);
}

// Backups while connected: an empty tree file first, then a second backup that replaces
// both copies; the store goes on posting.
TEST(BackupCommand, CopiesTheConnectedBaseAsPostedAndTheTreeFileAndReplacesEarlierCopies) {
    ProgramFolder program;
    program.createBase();
    TForm_Glavn& window = program.start();
    window.Button_podluchit_bazy->click();
    ASSERT_TRUE(window.Store.Connected());
    post(window, QStringLiteral("первая"));
    post(window, QStringLiteral("вторая"));
    program.writeFile(QStringLiteral("Data/TreeView.dat"), QByteArray());
    const QString baseCopy = program.path(QStringLiteral("Backup copies/Quorlent.mdb"));
    const QString treeCopy = program.path(QStringLiteral("Backup copies/TreeView.dat"));

    BarSeen bar = runBackup(program);
    EXPECT_EQ(program.watch.texts(), QStringList{kDone});
    EXPECT_TRUE(bar.visible);
    EXPECT_EQ(bar.maximum, 0) << "the empty tree file's range";
    EXPECT_FALSE(window.ProgressBar1->isVisible());
    EXPECT_EQ(namesIn(baseCopy), (QStringList{"первая", "вторая"}));
    EXPECT_EQ(bytesOf(treeCopy), QByteArray());

    post(window, QStringLiteral("третья"));
    const QByteArray tree = QByteArray("TPF0") + QByteArray(20 << 20, 'z');
    program.writeFile(QStringLiteral("Data/TreeView.dat"), tree);
    PositionsPainted painted(window.ProgressBar1);
    bar = runBackup(program);
    EXPECT_TRUE(std::any_of(painted.positions.begin(), painted.positions.end(), [&](int at) {
        return at > 0 && at < tree.size();
    })) << "the bar is painted while the tree file is copied";
    EXPECT_EQ(program.watch.texts(), QStringList{kDone});
    EXPECT_EQ(bar.maximum, tree.size());
    EXPECT_EQ(bar.value, tree.size());
    EXPECT_EQ(namesIn(baseCopy), (QStringList{"первая", "вторая", "третья"}));
    EXPECT_EQ(bytesOf(treeCopy), tree);
    EXPECT_EQ(filesIn(program.path(QStringLiteral("Backup copies"))),
              (QStringList{"Quorlent.mdb", "TreeView.dat"}));

    post(window, QStringLiteral("четвёртая"));
    EXPECT_EQ(namesIn(program.path(QStringLiteral("Data/Quorlent.mdb"))),
              (QStringList{"первая", "вторая", "третья", "четвёртая"}));
}

// A file size limit stops the copy half way, in the base or in the tree file: the error
// box shows why, the bar goes, and the earlier pair stays byte for byte.
TEST(BackupCommand, AFailureHalfWayKeepsTheEarlierPair) {
    ProgramFolder program;
    program.createBase();
    TForm_Glavn& window = program.start();
    const QByteArray earlierTree = QByteArray("TPF0 earlier");
    program.writeFile(QStringLiteral("Data/TreeView.dat"), earlierTree);
    runBackup(program);
    ASSERT_EQ(program.watch.texts(), QStringList{kDone});
    const QString baseCopy = program.path(QStringLiteral("Backup copies/Quorlent.mdb"));
    const QString treeCopy = program.path(QStringLiteral("Backup copies/TreeView.dat"));
    const QByteArray earlierBase = bytesOf(baseCopy);
    program.writeFile(QStringLiteral("Data/TreeView.dat"), QByteArray(4 * earlierBase.size(), 't'));

    struct Case {
        const char* name;
        rlim_t limit;
        QString failingCopy;
    };
    const Case cases[] = {
        {"in the base", rlim_t(earlierBase.size() / 2), baseCopy},
        {"in the tree file", rlim_t(2 * earlierBase.size()), treeCopy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rlimit previous{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
        const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous;
        limited.rlim_cur = c.limit;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const BarSeen bar = runBackup(program);
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousSignal);

        ASSERT_EQ(program.watch.seen.size(), 1);
        EXPECT_EQ(program.watch.seen[0].kind, "box");
        EXPECT_EQ(program.watch.seen[0].text,
                  QStringLiteral("Cannot write file \"%1\". File too large").arg(c.failingCopy));
        EXPECT_FALSE(bar.visible) << "the bar goes before the error box";
        EXPECT_EQ(bytesOf(baseCopy), earlierBase);
        EXPECT_EQ(bytesOf(treeCopy), earlierTree);
        EXPECT_EQ(filesIn(program.path(QStringLiteral("Backup copies"))),
                  (QStringList{"Quorlent.mdb", "TreeView.dat"}));
        EXPECT_FALSE(window.ProgressBar1->isVisible());
    }
}

// Pages of an attachment that the cipher no longer accepts: the box says the base is
// damaged, and the earlier pair stays byte for byte.
TEST(BackupCommand, ADamagedAttachmentKeepsTheEarlierPair) {
    ProgramFolder program;
    program.createBase();
    const QString base = program.path(QStringLiteral("Data/Quorlent.mdb"));
    {
        const auto connection =
            infobase::SqlcipherConnection::open(base, infobase::branch_table::kPassword, {});
        auto insert = connection.prepare(
            "INSERT INTO Tab_DB_Delphi_10 (Imya_vetok, RashirenieFile, \"File\") VALUES "
            "('снимок', 0, ?)");
        insert.bindBlob(1, QByteArray(400000, 'p'));
        insert.step();
    }
    program.start();
    program.writeFile(QStringLiteral("Data/TreeView.dat"), "TPF0 tree");
    runBackup(program);
    ASSERT_EQ(program.watch.texts(), QStringList{kDone});
    const QString baseCopy = program.path(QStringLiteral("Backup copies/Quorlent.mdb"));
    const QByteArray earlierBase = bytesOf(baseCopy);
    program.writeFile(QStringLiteral("Data/TreeView.dat"), "TPF0 later tree");
    {
        QFile file(base);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek((file.size() / 2) & ~qint64(4095)));
        file.write(QByteArray(3 * 1024, '\x55'));
    }

    const BarSeen bar = runBackup(program);
    ASSERT_EQ(program.watch.seen.size(), 1);
    EXPECT_EQ(program.watch.seen[0].kind, "box");
    EXPECT_EQ(program.watch.seen[0].text,
              QStringLiteral("Файл %1 повреждён.\rКопия не сохранена, прежние копии остались как "
                             "были.")
                  .arg(base));
    EXPECT_FALSE(bar.visible);
    EXPECT_EQ(bytesOf(baseCopy), earlierBase);
    EXPECT_EQ(bytesOf(program.path(QStringLiteral("Backup copies/TreeView.dat"))), "TPF0 tree");
    EXPECT_EQ(filesIn(program.path(QStringLiteral("Backup copies"))),
              (QStringList{"Quorlent.mdb", "TreeView.dat"}));
}

// A tree file beyond 2 GiB, sparse so that it costs no disk: copied whole, holes kept, the
// bar's range halved to fit.
TEST(BackupCommand, CopiesAFileBeyondTwoGibibytesWithTheBarScaled) {
    ProgramFolder program;
    program.createBase();
    program.start();
    const QString tree = program.path(QStringLiteral("Data/TreeView.dat"));
    const qint64 size = (qint64(1) << 31) + 4096;
    {
        QFile file(tree);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("TPF0 head");
        ASSERT_TRUE(file.seek(size - 4));
        file.write("tail");
    }
    const BarSeen bar = runBackup(program);
    EXPECT_EQ(program.watch.texts(), QStringList{kDone});
    EXPECT_EQ(bar.maximum, int(size / 2));
    EXPECT_EQ(bar.value, int(size / 2));

    const QString copy = program.path(QStringLiteral("Backup copies/TreeView.dat"));
    QFile copied(copy);
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.size(), size);
    EXPECT_EQ(copied.read(9), "TPF0 head");
    ASSERT_TRUE(copied.seek(size - 4));
    EXPECT_EQ(copied.read(4), "tail");
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(copy).constData(), &status), 0);
    EXPECT_LT(qint64(status.st_blocks) * 512, qint64(1) << 20) << "the holes stay holes";
}

} // namespace
