#include "ProgramFolder.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/TreeCommit.h"
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

// The bytes of a tree file the program reads whole: nodes whose names are 255 letters long,
// as many as make the file at least `size` bytes.
QByteArray treeFile(qint64 size, char16_t letter = u't') {
    infobase::TTreeNodes nodes;
    QByteArray bytes = infobase::treeFileBytes(infobase::TreeViewState{}, nodes);
    const qint64 perNode = 4 + 30 + 2 * 255;
    for (qint64 n = (size - bytes.size() + perNode - 1) / perNode; n > 0; --n) {
        nodes.AddChild(nullptr, QString(255, letter));
    }
    return infobase::treeFileBytes(infobase::TreeViewState{}, nodes);
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
            program.writeFile(QStringLiteral("Data/TreeView.dat"), treeFile(0));
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
    const QByteArray tree = treeFile(20 << 20);
    program.writeFile(QStringLiteral("Data/TreeView.dat"), tree);
    CloseWhilePainted closer(window);
    runBackup(program);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
    EXPECT_EQ(program.watch.texts(), (QStringList{kDone, QStringLiteral("Мусор удален.")}));
    EXPECT_EQ(bytesOf(program.path(QStringLiteral("Backup copies/TreeView.dat"))), tree);
}

// Backups while connected: a tree file without nodes first, then a second backup that
// replaces both copies; the store goes on posting.
TEST(BackupCommand, CopiesTheConnectedBaseAsPostedAndTheTreeFileAndReplacesEarlierCopies) {
    ProgramFolder program;
    program.createBase();
    TForm_Glavn& window = program.start();
    window.Button_podluchit_bazy->click();
    ASSERT_TRUE(window.Store.Connected());
    post(window, QStringLiteral("первая"));
    post(window, QStringLiteral("вторая"));
    const QByteArray emptyTree = treeFile(0);
    program.writeFile(QStringLiteral("Data/TreeView.dat"), emptyTree);
    const QString baseCopy = program.path(QStringLiteral("Backup copies/Quorlent.mdb"));
    const QString treeCopy = program.path(QStringLiteral("Backup copies/TreeView.dat"));

    BarSeen bar = runBackup(program);
    EXPECT_EQ(program.watch.texts(), QStringList{kDone});
    EXPECT_TRUE(bar.visible);
    EXPECT_EQ(bar.maximum, emptyTree.size()) << "the tree file's range";
    EXPECT_FALSE(window.ProgressBar1->isVisible());
    EXPECT_EQ(namesIn(baseCopy), (QStringList{"первая", "вторая"}));
    EXPECT_EQ(bytesOf(treeCopy), emptyTree);

    post(window, QStringLiteral("третья"));
    const QByteArray tree = treeFile(20 << 20, u'z');
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
    const QByteArray earlierTree = treeFile(0);
    program.writeFile(QStringLiteral("Data/TreeView.dat"), earlierTree);
    runBackup(program);
    ASSERT_EQ(program.watch.texts(), QStringList{kDone});
    const QString baseCopy = program.path(QStringLiteral("Backup copies/Quorlent.mdb"));
    const QString treeCopy = program.path(QStringLiteral("Backup copies/TreeView.dat"));
    const QByteArray earlierBase = bytesOf(baseCopy);
    program.writeFile(QStringLiteral("Data/TreeView.dat"), treeFile(4 * earlierBase.size()));

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
    const QByteArray earlierTree = treeFile(0);
    program.writeFile(QStringLiteral("Data/TreeView.dat"), earlierTree);
    runBackup(program);
    ASSERT_EQ(program.watch.texts(), QStringList{kDone});
    const QString baseCopy = program.path(QStringLiteral("Backup copies/Quorlent.mdb"));
    const QByteArray earlierBase = bytesOf(baseCopy);
    program.writeFile(QStringLiteral("Data/TreeView.dat"), treeFile(1000));
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
    EXPECT_EQ(bytesOf(program.path(QStringLiteral("Backup copies/TreeView.dat"))), earlierTree);
    EXPECT_EQ(filesIn(program.path(QStringLiteral("Backup copies"))),
              (QStringList{"Quorlent.mdb", "TreeView.dat"}));
}

// A tree file beyond 2 GiB, sparse so that it costs no disk, is copied with the bar's range
// halved to fit; no tree file the program reads is that large (its node block has a 32-bit
// size), so the copy is then refused as damaged, and no copy is kept.
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
    EXPECT_EQ(program.watch.texts(),
              QStringList{QStringLiteral("Файл %1 повреждён.\rКопия не сохранена, прежние копии "
                                         "остались как были.")
                              .arg(tree)});
    EXPECT_EQ(bar.maximum, int(size / 2));
    EXPECT_EQ(bar.value, int(size / 2));
    EXPECT_EQ(filesIn(program.path(QStringLiteral("Backup copies"))), QStringList{});
}

// A tree file damaged on disk, cut short or with a node block overwritten in place, does not
// replace the last good pair.
TEST(BackupCommand, ADamagedTreeFileKeepsTheEarlierPair) {
    ProgramFolder program;
    program.createBase();
    program.start();
    const QString tree = program.path(QStringLiteral("Data/TreeView.dat"));
    QByteArray good;
    {
        infobase::TTreeNodes nodes;
        for (int i = 0; i < 40; ++i) {
            nodes.AddChild(nullptr, QStringLiteral("Ветка %1").arg(i));
        }
        good = infobase::treeFileBytes(infobase::TreeViewState{}, nodes);
    }
    program.writeFile(QStringLiteral("Data/TreeView.dat"), good);
    runBackup(program);
    ASSERT_EQ(program.watch.texts(), QStringList{kDone});
    const QString baseCopy = program.path(QStringLiteral("Backup copies/Quorlent.mdb"));
    const QString treeCopy = program.path(QStringLiteral("Backup copies/TreeView.dat"));
    const QByteArray earlierBase = bytesOf(baseCopy);

    QByteArray zeroed = good;
    zeroed.replace(good.size() - 900, 60, QByteArray(60, '\0'));
    QByteArray marked = good;
    marked.replace(good.size() - 700, 40, QByteArray(40, '\xff'));
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {{"cut to half", good.left(good.size() / 2)},
                 {"a node block zeroed", zeroed},
                 {"a node block overwritten", marked}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        program.writeFile(QStringLiteral("Data/TreeView.dat"), c.bytes);
        runBackup(program);
        EXPECT_EQ(program.watch.texts(),
                  QStringList{QStringLiteral("Файл %1 повреждён.\rКопия не сохранена, прежние "
                                             "копии остались как были.")
                                  .arg(tree)});
        EXPECT_EQ(bytesOf(treeCopy), good);
        EXPECT_EQ(bytesOf(baseCopy), earlierBase);
        EXPECT_EQ(filesIn(program.path(QStringLiteral("Backup copies"))),
                  (QStringList{"Quorlent.mdb", "TreeView.dat"}));
    }
}

} // namespace
