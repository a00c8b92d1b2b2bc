// The record store's connect on the big bases (big_bases_data.h): 1 010 100 branches, and
// 101 100 branches with 10 KB of text each (about 1 GB) beside the same tree without texts.
// Measured in the same run:
//   the open (RecordStore::connect) against a bare read of the keys and names with the stock
//   sqlite3 API, the same reads the open makes;
//   in a process of its own for each base, the heap the connected store holds (malloc's own
//   count, so only what the store allocated) and the resident size after the connect.
// A table at the end gives the medians and the ratios the targets name. Share the generated
// bases with the window benchmark: QUORLENT_BENCH_DATA=/work/bench_data.
#include "BigBaseFigures.h"
#include "big_bases_data.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordStore.h"
#include "infobase/store/SqlcipherApi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using big_bases::medianOf;
using big_bases::note;
using big_bases::Shape;

const Shape kShapes[] = {big_bases::kRealistic1M, big_bases::kTexts100k, big_bases::kNoTexts100k};

QString baseOf(const Shape& shape) {
    return big_bases::programFolder(shape) + QStringLiteral("/Data/Quorlent.mdb");
}

void BM_Open(benchmark::State& state, const Shape& shape) {
    const QString path = baseOf(shape);
    for (auto _ : state) {
        QElapsedTimer took;
        took.start();
        auto store = std::make_unique<infobase::RecordStore>();
        store->connect(path);
        const double ms = double(took.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000);
        note("open_ms", shape.name, ms);
        state.counters["records"] = store->Query_Glav.RecordCount();
    }
}

void BM_BareNames(benchmark::State& state, const Shape& shape) {
    const QByteArray path = QFile::encodeName(baseOf(shape));
    for (auto _ : state) {
        QElapsedTimer took;
        took.start();
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const QByteArray& key = infobase::branch_table::kPassword;
        sqlite3_key(db, key.constData(), int(key.size()));
        sqlite3_stmt* rows = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid, Imya_vetok FROM Tab_DB_Delphi_10", -1, &rows,
                           nullptr);
        while (sqlite3_step(rows) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(rows, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(rows, 1));
        }
        sqlite3_finalize(rows);
        const double ms = double(took.nsecsElapsed()) / 1e6;
        sqlite3_close(db);
        state.SetIterationTime(ms / 1000);
        note("bare_names_ms", shape.name, ms);
    }
}

// The memory of a fresh process that only connects (see main).
void BM_ConnectedMemory(benchmark::State& state, const Shape& shape) {
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--connected-memory"), baseOf(shape)});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() != 3) {
            state.SkipWithError("the measuring process failed");
            return;
        }
        const double heapMB = figures[0].toDouble() / 1e6;
        const double records = figures[2].toDouble();
        note("store_heap_MB", shape.name, heapMB);
        note("store_bytes_per_branch", shape.name, figures[0].toDouble() / std::max(1.0, records));
        note("resident_MB", shape.name, figures[1].toDouble());
        state.SetIterationTime(0.001);
    }
}

// Prints the heap bytes the connected store holds, the resident MB and the records.
int measureConnected(const QString& path) {
    const auto heap = [] {
        const struct mallinfo2 info = mallinfo2();
        return info.uordblks + info.hblkhd; // small pieces and mapped big ones
    };
    const std::size_t before = heap();
    infobase::RecordStore store;
    store.connect(path);
    // The process's own allocations besides the store are the same before and after.
    const std::size_t after = heap();
    QTextStream(stdout) << qint64(after - before) << ' ' << big_bases::residentMB() << ' '
                        << store.Query_Glav.RecordCount() << '\n';
    return 0;
}

void printTable() {
    QTextStream out(stdout);
    big_bases::printMedians(out, {"1M", "100k-texts", "100k-no-texts"});
    big_bases::printRatio(out, "open at 1M / bare read of the names at 1M",
                          medianOf("open_ms", "1M"), medianOf("bare_names_ms", "1M"));
    big_bases::printRatio(out, "open, 1 GB of texts / the same tree without texts",
                          medianOf("open_ms", "100k-texts"), medianOf("open_ms", "100k-no-texts"));
    big_bases::printRatio(out, "open, 1 GB of texts / its bare read of the names",
                          medianOf("open_ms", "100k-texts"),
                          medianOf("bare_names_ms", "100k-texts"));
    big_bases::printRatio(out, "store heap, 1 GB of texts / without texts",
                          medianOf("store_heap_MB", "100k-texts"),
                          medianOf("store_heap_MB", "100k-no-texts"));
}

void registerAll() {
    for (const Shape& shape : kShapes) {
        const std::string suffix = std::string("/") + shape.name;
        benchmark::RegisterBenchmark(("BM_Open" + suffix).c_str(), BM_Open, shape)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(5);
        benchmark::RegisterBenchmark(("BM_BareNames" + suffix).c_str(), BM_BareNames, shape)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(5);
        benchmark::RegisterBenchmark(("BM_ConnectedMemory" + suffix).c_str(), BM_ConnectedMemory,
                                     shape)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--connected-memory") {
        return measureConnected(QString::fromLocal8Bit(argv[2]));
    }
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printTable();
    return 0;
}
