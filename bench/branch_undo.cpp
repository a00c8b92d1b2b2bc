// Undo of a delete ("Удалить ветку/ подветку", then Ctrl+Z):
//   in a tree of 100 000 nodes whose base holds 100 000 records, the delete of a leaf with
//   its record through the program's own handler, against its undo through the window's
//   undo command, in the same run (the undo must stay within twice the delete);
//   for a record with a 500 MB attachment, the peak memory of a fresh process that deletes
//   the record and takes the delete back, against its peak before (the attachment travels
//   to the side table and back in pieces, never whole through memory).
// On a shared machine run
//   bench_branch_undo --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "ConnectedWindow.h"
#include "GuiBenchmarkMain.h"
#include "SampleTree.h"
#include "infobase/AppPaths.h"
#include "infobase/history/UndoHistory.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordStore.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/TreeCommit.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

using namespace infobase;

constexpr int kRecords = 100'000;
constexpr qint64 kAttachmentSize = 500 * 1000 * 1000;

// --- delete and undo at 100 000 branches -----------------------------------------------

struct Program {
    QTemporaryDir folder;
    std::unique_ptr<TForm_Glavn> window;
    int next = 0;
};

// The leaves of the sample tree each have a record of their own name.
QString leafName(int i) {
    return QStringLiteral("Запись %1.%2.%3").arg(i / 990).arg(i / 110 % 9).arg(i % 110);
}

Program& program() {
    static Program* made = [] {
        auto* p = new Program;
        QDir(p->folder.path()).mkpath(QStringLiteral("Data"));
        QDir::setCurrent(p->folder.path());
        const QString basePath = p->folder.filePath(QStringLiteral("Data/Quorlent.mdb"));
        branch_table::createBaseFile(basePath);
        {
            auto base = SqlcipherConnection::open(basePath, branch_table::kPassword, {});
            base.execute("BEGIN");
            SqlStatement insert =
                base.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, "
                             "RashirenieFile) VALUES ('01.01.2026', ?, ?, ?, 0)");
            for (int i = 0; i < kRecords; ++i) {
                insert.bindText(1, leafName(i).toUtf8());
                insert.bindText(2, QStringLiteral("Описание записи номер %1").arg(i).toUtf8());
                insert.bindText(3, QStringLiteral("Текст записи номер %1").arg(i).toUtf8());
                insert.step();
                insert.reset();
            }
            base.execute("COMMIT");
        }
        TTreeNodes nodes;
        growSampleTree(nodes);
        writeTreeFile(p->folder.filePath(QStringLiteral("Data/TreeView.dat")), TreeViewState{},
                      nodes);
        p->window = startConnectedWindow(QSize(1920, 1080));
        QCoreApplication::processEvents();
        return p;
    }();
    return *made;
}

void selectLeaf(TForm_Glavn& window, int i) {
    const QString name = leafName(i);
    for (TTreeNode* node = window.TreeNodes.getFirstNode(); node; node = node->GetNext()) {
        if (node->Text() == name) {
            window.showFoundBranch(node);
            return;
        }
    }
}

void BM_DeleteBranch(benchmark::State& state) {
    Program& p = program();
    for (auto _ : state) {
        state.PauseTiming();
        selectLeaf(*p.window, (p.next += 997) % kRecords);
        state.ResumeTiming();
        p.window->SpeedButton_DeleteClick();
        state.PauseTiming();
        p.window->N_otmenitClick();
        state.ResumeTiming();
    }
    state.counters["nodes"] = p.window->TreeNodes.Count();
}

void BM_UndoDelete(benchmark::State& state) {
    Program& p = program();
    for (auto _ : state) {
        state.PauseTiming();
        selectLeaf(*p.window, (p.next += 997) % kRecords);
        p.window->SpeedButton_DeleteClick();
        state.ResumeTiming();
        p.window->N_otmenitClick();
    }
    state.counters["nodes"] = p.window->TreeNodes.Count();
    state.counters["records"] = p.window->Query_Glav.RecordCount();
}

// The delete with the history stopped: what keeping the tree file and the record for the
// undo adds to the command. The deleted leaves stay deleted.
void BM_DeleteBranchUnrecorded(benchmark::State& state) {
    Program& p = program();
    p.window->UndoHistory1.stop();
    for (auto _ : state) {
        state.PauseTiming();
        selectLeaf(*p.window, (p.next += 997) % kRecords);
        state.ResumeTiming();
        p.window->SpeedButton_DeleteClick();
    }
    p.window->UndoHistory1.start(p.window->Store.ADOConnection1, p.window->Query_Glav,
                                 AppPaths{p.window->Base}.treeFile());
    state.counters["nodes"] = p.window->TreeNodes.Count();
}

BENCHMARK(BM_DeleteBranch)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_UndoDelete)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_DeleteBranchUnrecorded)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// --- memory of an undo of a delete with a 500 MB attachment ----------------------------

long peakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QString bigBase(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("big.mdb"));
}
QString bigTree(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("TreeView.dat"));
}

// In a process of its own, so that the peak it reaches stays out of the measured one: a
// base with one record holding the attachment, written in pieces, and a tree of its branch.
int makeBigBase(const QString& folder) {
    const QString basePath = bigBase(folder);
    QFile::remove(basePath);
    branch_table::createBaseFile(basePath);
    auto base = SqlcipherConnection::open(basePath, branch_table::kPassword, {});
    base.execute("BEGIN");
    SqlStatement insert = base.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, "
                                       "RashirenieFile, File) VALUES ('01.01.2026', "
                                       "'Большая', 1, ?)");
    insert.bindZeroBlob(1, kAttachmentSize);
    insert.step();
    sqlite3_blob* blob = nullptr;
    sqlite3_blob_open(base.handle(), "main", "Tab_DB_Delphi_10", "File", base.lastInsertRowId(), 1,
                      &blob);
    QByteArray piece(1 << 20, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (qint64 at = 0; at < kAttachmentSize; at += piece.size()) {
        for (char& byte : piece) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            byte = char(x);
        }
        sqlite3_blob_write(blob, piece.constData(),
                           int(std::min<qint64>(piece.size(), kAttachmentSize - at)), int(at));
    }
    sqlite3_blob_close(blob);
    base.execute("COMMIT");
    TTreeNodes nodes;
    nodes.AddChild(nullptr, QStringLiteral("Большая"));
    writeTreeFile(bigTree(folder), TreeViewState{}, nodes);
    return 0;
}

// In a fresh process: the record deleted as the delete command does and taken back. Prints
// the peak resident size after connecting, after the delete and after the undo, in KiB.
int measurePeak(const QString& folder) {
    const QString basePath = bigBase(folder);
    const QString treeFile = bigTree(folder);
    TTreeNodes nodes;
    TreeViewState view;
    readTreeFile(treeFile, view, nodes);

    RecordStore store;
    store.connect(basePath);
    UndoHistory history;
    history.start(store.ADOConnection1, store.Query_Glav, treeFile);
    history.followTree(nodes, view);
    const long connected = peakKib();
    {
        const UndoHistory::Recording recording = history.record(UndoCommand::Delete, "Большая");
        const QByteArray after = treeFileBytesWithout(view, nodes, nodes.getFirstNode());
        store.Query_Glav.LocateOwn(QStringLiteral("Большая"));
        commitTree(store.ADOConnection1, store.Query_Glav, treeFile, after, [&] {
            history.treeWillChange();
            store.Query_Glav.Delete();
        });
        nodes.Delete(nodes.getFirstNode());
    }
    const long deleted = peakKib();
    history.undo();
    const long undone = peakKib();
    std::printf("%ld %ld %ld %d\n", connected, deleted, undone, store.Query_Glav.RecordCount());
    return 0;
}

void BM_UndoDeleteOf500MBAttachmentPeakMemory(benchmark::State& state) {
    QTemporaryDir folder(QDir(qEnvironmentVariable("QUORLENT_BENCH_DATA", QDir::tempPath()))
                             .filePath(QStringLiteral("undo-XXXXXX")));
    double connected = 0, deleted = 0, undone = 0;
    const QString self = QFile::symLinkTarget("/proc/self/exe");
    for (auto _ : state) {
        state.PauseTiming();
        QProcess maker;
        maker.start(self, {"--make-big-base", folder.path()});
        maker.waitForFinished(-1);
        state.ResumeTiming();
        QProcess child;
        child.start(self, {"--peak-memory", folder.path()});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() != 4 || figures[3] != "1") {
            state.SkipWithError("the child did not take the delete back");
            return;
        }
        connected = figures[0].toDouble() / 1024;
        deleted = figures[1].toDouble() / 1024;
        undone = figures[2].toDouble() / 1024;
    }
    state.counters["peak_connected_MiB"] = connected;
    state.counters["peak_after_delete_MiB"] = deleted;
    state.counters["peak_after_undo_MiB"] = undone;
    state.counters["attachment_MiB"] = double(kAttachmentSize) / (1 << 20);
}

BENCHMARK(BM_UndoDeleteOf500MBAttachmentPeakMemory)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(1);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--make-big-base") == 0) {
        QCoreApplication application(argc, argv);
        return makeBigBase(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 3 && qstrcmp(argv[1], "--peak-memory") == 0) {
        QCoreApplication application(argc, argv);
        return measurePeak(QString::fromLocal8Bit(argv[2]));
    }
    return runGuiBenchmarks(argc, argv, [] { program().window.reset(); });
}
