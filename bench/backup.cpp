// The backup of the data files: a base of 1 GiB (mostly attachments; another size in MiB
// with $QUORLENT_BENCH_BASE_MIB) and a tree file of 100 000 nodes, copied as the command
// copies them: through the main window, connected, its progress bar painted, the success
// message answered (BM_BackupThroughWindow); and the same copies without the window
// (BackupCopies, BM_BackupCommand). Both include the check of the base copy, reported apart
// (check_ms, and without_check_ms for the rest of the same runs) and also timed alone
// (BM_BaseCheck). The floor in the same run: `cp` of the same
// two files alone, and `cp` followed by a sync of the two copies, which is what the backup
// does too before it replaces the earlier copies. For scale, SQLite's online backup
// interface copying the base alone (every page decrypted and encrypted again).
//
// The files are generated once under backup_data/<size>MiB beside the program (or
// $QUORLENT_BENCH_DATA/backup/<size>MiB); delete the folder to get the disk space back. Every run
// syncs the disk first so that each copy starts from the same clean page cache; the time is the
// copy's alone. Run with --benchmark_enable_random_interleaving=true so that disk noise
// spreads over all variants alike, and leave the slow backup interface out of that
// comparison (--benchmark_filter='BM_Backup|BM_BaseCheck|BM_Cp'): its 30-second runs with a
// gigabyte of writes each disturb the runs next to them.
#include "GuiBenchmarkMain.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordStore.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/BackupCopies.h"
#include "infobase/wholefile/BaseCheck.h"
#include "skin/qsMessageForm.h"
#include "ui/Form_Glavn.h"
#include "ui/ProgramWindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace infobase;

const qint64 kBaseBytes = qEnvironmentVariableIntValue("QUORLENT_BENCH_BASE_MIB") > 0
                              ? qint64(qEnvironmentVariableIntValue("QUORLENT_BENCH_BASE_MIB"))
                                    << 20
                              : qint64(1) << 30;
constexpr int kAttachmentBytes = 4 << 20;
constexpr int kTreeNodes = 100000;

QString dataFolder() {
    QString folder = qEnvironmentVariable("QUORLENT_BENCH_DATA");
    folder = (folder.isEmpty()
                  ? QFileInfo(QFile::symLinkTarget("/proc/self/exe")).dir().filePath("backup_data")
                  : folder + QStringLiteral("/backup")) +
             QStringLiteral("/%1MiB").arg(kBaseBytes >> 20);
    QDir().mkpath(folder + QStringLiteral("/Data"));
    return folder;
}

void generateBase(const QString& path) {
    branch_table::createBaseFile(path);
    const SqlcipherConnection connection =
        SqlcipherConnection::open(path, branch_table::kPassword, {});
    connection.execute("BEGIN");
    SqlStatement insert = connection.prepare(
        "INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, RashirenieFile, \"File\")"
        " VALUES ('10.12.2026', ?, 'снимок', 0, ?)");
    std::mt19937_64 random(13);
    QByteArray attachment(kAttachmentBytes, Qt::Uninitialized);
    for (int i = 0; i < int(kBaseBytes / kAttachmentBytes); ++i) {
        auto* words = reinterpret_cast<std::uint64_t*>(attachment.data());
        for (int w = 0; w < kAttachmentBytes / 8; ++w) {
            words[w] = random();
        }
        insert.reset();
        insert.bindText(1, QStringLiteral("Фото %1").arg(i).toUtf8());
        insert.bindBlob(2, attachment);
        insert.step();
    }
    insert = SqlStatement();
    connection.execute("COMMIT");
}

void generateTree(const QString& path) {
    TTreeNodes items;
    std::mt19937 random(7);
    TTreeNode* last = nullptr;
    for (int i = 0; i < kTreeNodes; ++i) {
        const QString text = QStringLiteral("Ветка номер %1").arg(i);
        const unsigned move = random() % 10;
        if (last == nullptr) {
            last = items.Add(nullptr, text);
        } else if (move < 3 && last->Level() < 7) {
            last = items.AddChild(last, text);
        } else {
            TTreeNode* sibling = last;
            for (int up = int(move) - 7; up > 0 && sibling->Parent(); --up) {
                sibling = sibling->Parent();
            }
            last = items.Add(sibling, text);
        }
    }
    writeTreeFile(path, TreeViewState{}, items);
}

// The application folder with its two data files, generated on first use.
const AppPaths& paths() {
    static const AppPaths made = [] {
        const AppPaths p{dataFolder()};
        if (!QFile::exists(p.baseFile())) {
            const QString partial = p.baseFile() + QStringLiteral(".partial");
            QFile::remove(partial);
            generateBase(partial);
            QFile::rename(partial, p.baseFile());
        }
        if (!QFile::exists(p.treeFile())) {
            generateTree(p.treeFile());
        }
        QDir().mkpath(p.backupFolder());
        return p;
    }();
    return made;
}

qint64 dataBytes() {
    return QFileInfo(paths().baseFile()).size() + QFileInfo(paths().treeFile()).size();
}

using Clock = std::chrono::steady_clock;

template <typename Copy> void timeEach(benchmark::State& state, qint64 bytes, Copy copy) {
    for (auto _ : state) {
        ::sync(); // the previous copy's dirty pages are not this one's cost
        const auto start = Clock::now();
        copy();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void run(std::vector<const char*> argv) {
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = 0;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, const_cast<char**>(argv.data()),
                       environ) != 0 ||
        ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::abort();
    }
}

std::unique_ptr<TForm_Glavn> openWindow;

// The main window on the application folder, connected; the splash closed at once.
TForm_Glavn& window() {
    if (!openWindow) {
        QDir::setCurrent(paths().base);
        openWindow = ui::createProgramWindows();
        TForm_Glavn* shown = openWindow.get();
        QTimer::singleShot(0, shown, [shown] { shown->Timer1Timer(); });
        shown->showMaximized();
        shown->Button_podluchit_bazyClick();
        QCoreApplication::processEvents();
        if (!shown->Store.Connected()) {
            std::abort();
        }
    }
    return *openWindow;
}

// Notes when a message window is shown, before its fade-in (which holds the event loop).
class MessageShown : public QObject {
public:
    MessageShown() { QCoreApplication::instance()->installEventFilter(this); }
    ~MessageShown() override { QCoreApplication::instance()->removeEventFilter(this); }
    Clock::time_point at;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<TqsMessageForm*>(watched) != nullptr) {
            at = Clock::now();
        }
        return false;
    }
};

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// "Сохранить копию данных" chosen as from the menu; the time runs until the success message
// is shown (its fade-in, the message window's own, left out); the message is then answered.
// The check of the base copy is timed apart by the bar, which starts again from 0 when the
// check begins and once more for the tree file: check_ms, and without_check_ms for the rest.
void BM_BackupThroughWindow(benchmark::State& state) {
    TForm_Glavn& w = window();
    const MessageShown shown;
    QTimer answer;
    answer.setInterval(1);
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* message = qobject_cast<TqsMessageForm*>(QApplication::activeModalWidget())) {
            message->reject();
        }
    });
    answer.start();
    std::vector<Clock::time_point> restarts;
    int last = 0;
    const QMetaObject::Connection bar =
        QObject::connect(w.ProgressBar1, &QProgressBar::valueChanged, [&](int value) {
            if (value == 0 && last > 0) {
                restarts.push_back(Clock::now());
            }
            last = value;
        });
    double checkSeconds = 0;
    double totalSeconds = 0;
    for (auto _ : state) {
        ::sync();
        restarts.clear();
        last = 0;
        const Clock::time_point start = Clock::now();
        w.N_save_copy->trigger();
        if (shown.at < start || w.ProgressBar1->isVisible() || restarts.size() != 2) {
            std::abort(); // the backup failed
        }
        state.SetIterationTime(seconds(start, shown.at));
        totalSeconds += seconds(start, shown.at);
        checkSeconds += seconds(restarts[0], restarts[1]);
    }
    QObject::disconnect(bar);
    state.SetBytesProcessed(state.iterations() * dataBytes());
    const double n = double(state.iterations());
    state.counters["check_ms"] = 1000 * checkSeconds / n;
    state.counters["without_check_ms"] = 1000 * (totalSeconds - checkSeconds) / n;
}

// The check of the base copy alone: every page read and authenticated, the b-trees checked.
void BM_BaseCheck(benchmark::State& state) {
    const QString copy = paths().backupFolder() + QStringLiteral("Quorlent.mdb");
    if (!QFile::exists(copy)) {
        QFile::copy(paths().baseFile(), copy);
    }
    const qint64 bytes = QFileInfo(copy).size();
    timeEach(state, bytes, [&] {
        const BaseCheckResult check = checkBaseFile(copy, [](qint64, qint64) {});
        if (!check.failure.isEmpty() || !check.damage.isEmpty()) {
            std::abort();
        }
    });
}

void BM_BackupCommand(benchmark::State& state) {
    const AppPaths& p = paths();
    RecordStore store;
    store.connect(p);
    qint64 reports = 0;
    double checkSeconds = 0;
    double totalSeconds = 0;
    timeEach(state, dataBytes(), [&] {
        const Clock::time_point start = Clock::now();
        BackupCopies copies(p.baseFile(), &store.ADOConnection1);
        const CopyProgress progress = [&](qint64, qint64) { ++reports; };
        Clock::time_point checkStart;
        const CopyProgress checking = [&](qint64 checked, qint64 total) {
            if (checked == 0) {
                checkStart = Clock::now();
            } else if (checked == total) {
                checkSeconds += seconds(checkStart, Clock::now());
            }
        };
        copies.add(p.baseFile(), p.backupFolder() + QStringLiteral("Quorlent.mdb"), progress,
                   checking);
        copies.add(p.treeFile(), p.backupFolder() + QStringLiteral("TreeView.dat"), progress);
        copies.replaceEarlier();
        totalSeconds += seconds(start, Clock::now());
    });
    state.counters["progress_reports"] = double(reports) / double(state.iterations());
    state.counters["check_ms"] = 1000 * checkSeconds / double(state.iterations());
    state.counters["without_check_ms"] =
        1000 * (totalSeconds - checkSeconds) / double(state.iterations());
}

void BM_Cp(benchmark::State& state) {
    const AppPaths& p = paths();
    const QByteArray base = QFile::encodeName(p.baseFile());
    const QByteArray tree = QFile::encodeName(p.treeFile());
    const QByteArray target = QFile::encodeName(dataFolder() + QStringLiteral("/cp"));
    QDir().mkpath(QFile::decodeName(target));
    const bool sync = state.range(0) != 0;
    timeEach(state, dataBytes(), [&] {
        run({"cp", base.constData(), tree.constData(), target.constData()});
        if (sync) {
            run({"sync", (target + "/Quorlent.mdb").constData(),
                 (target + "/TreeView.dat").constData()});
        }
    });
}

void BM_SqliteBackupApiBaseOnly(benchmark::State& state) {
    const AppPaths& p = paths();
    RecordStore store;
    store.connect(p);
    const QByteArray target = QFile::encodeName(dataFolder() + QStringLiteral("/backup-api.mdb"));
    timeEach(state, QFileInfo(p.baseFile()).size(), [&] {
        ::unlink(target.constData());
        sqlite3* copy = nullptr;
        sqlite3_open_v2(target.constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr);
        sqlite3_key(copy, branch_table::kPassword.constData(), int(branch_table::kPassword.size()));
        sqlite3_backup* backup =
            sqlite3_backup_init(copy, "main", store.ADOConnection1.handle(), "main");
        if (backup == nullptr || sqlite3_backup_step(backup, -1) != SQLITE_DONE ||
            sqlite3_backup_finish(backup) != SQLITE_OK) {
            std::abort();
        }
        sqlite3_close(copy);
    });
    ::unlink(target.constData());
}

BENCHMARK(BM_BackupCommand)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(7);
BENCHMARK(BM_BackupThroughWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(7);
BENCHMARK(BM_BaseCheck)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(7);
BENCHMARK(BM_Cp)
    ->ArgName("sync")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(7);
BENCHMARK(BM_SqliteBackupApiBaseOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    return runGuiBenchmarks(argc, argv, [] { openWindow.reset(); });
}
