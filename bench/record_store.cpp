// The record store's hot paths, each beside the floor it cannot beat, measured in the same
// run on bases of 1 000, 10 000 and 100 000 records:
//   connect           vs. the bare sqlite3 API opening the base and reading every text column
//                     (the connect reads only keys and names: see record_store_big.cpp for
//                     the read of the same columns on the big bases);
//   Locate            vs. std::lower_bound over the folded names;
//   a one-field Post  vs. a bare UPDATE in its own transaction;
// plus the key derivation at open on its own, and the peak memory of a process that only
// connects, against the bytes of text the base holds.
//
// On a shared machine run it with repetitions, interleaved, and compare medians:
//   bench_record_store --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//       --benchmark_report_aggregates_only=true
#include "infobase/store/BranchTable.h"
#include "infobase/store/NameIndex.h"
#include "infobase/store/RecordStore.h"
#include "infobase/store/SqlcipherApi.h"
#include "record_store_data.h"

#include <QFile>
#include <QProcess>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <random>

namespace {

using namespace infobase;

const QByteArray kPassword = branch_table::kPassword;

sqlite3* openBare(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_key(db, kPassword.constData(), int(kPassword.size()));
    sqlite3_busy_timeout(db, 5000);
    return db;
}

// --- connect ---------------------------------------------------------------------------

void BM_Connect(benchmark::State& state) {
    const QString path = bench_data::baseWithRecords(int(state.range(0)));
    for (auto _ : state) {
        auto store = std::make_unique<RecordStore>();
        store->connect(path);
        benchmark::DoNotOptimize(store->Query_Glav.RecordCount());
        // Closing belongs to the end of the run, not to the connect.
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}

void BM_BareReadTextColumns(benchmark::State& state) {
    const QString path = bench_data::baseWithRecords(int(state.range(0)));
    for (auto _ : state) {
        sqlite3* db = openBare(path);
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT rowid, Dat, Imya_vetok, Opisanie, Texty, RashirenieFile"
                           " FROM Tab_DB_Delphi_10",
                           -1, &select, nullptr);
        std::int64_t bytes = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            for (int column = 1; column <= 4; ++column) {
                benchmark::DoNotOptimize(sqlite3_column_text(select, column));
                bytes += sqlite3_column_bytes(select, column);
            }
            bytes += sqlite3_column_int(select, 5);
        }
        sqlite3_finalize(select);
        benchmark::DoNotOptimize(bytes);
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}

// Opening an empty base: mostly the derivation of the page key from the password.
void BM_OpenAndDeriveKey(benchmark::State& state) {
    const QString path = bench_data::emptyBase();
    for (auto _ : state) {
        sqlite3* db = openBare(path);
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
}

// --- Locate ----------------------------------------------------------------------------

// Prefixes of existing names (half the name, at least one character), in random order.
QStringList lookupValues(const QString& path) {
    sqlite3* db = openBare(path);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT Imya_vetok FROM Tab_DB_Delphi_10", -1, &select, nullptr);
    QStringList values;
    while (sqlite3_step(select) == SQLITE_ROW) {
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)));
        values.append(name.left(std::max<qsizetype>(1, name.size() / 2)).toUpper());
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    std::shuffle(values.begin(), values.end(), std::mt19937(5));
    values.resize(std::min<qsizetype>(values.size(), 4096));
    return values;
}

void BM_Locate(benchmark::State& state) {
    const QString path = bench_data::baseWithRecords(int(state.range(0)));
    const QStringList values = lookupValues(path);
    RecordStore store;
    store.connect(path);
    const QString field = QStringLiteral("Imya_vetok");
    qsizetype i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            store.Query_Glav.Locate(field, values[i], loCaseInsensitive | loPartialKey));
        i = (i + 1) % values.size();
    }
}

// The floor: the value folded, then std::lower_bound over a sorted vector of folded names.
void BM_LowerBoundFoldedNames(benchmark::State& state) {
    const QString path = bench_data::baseWithRecords(int(state.range(0)));
    const QStringList values = lookupValues(path);
    std::vector<QString> folded;
    {
        sqlite3* db = openBare(path);
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, "SELECT Imya_vetok FROM Tab_DB_Delphi_10", -1, &select, nullptr);
        while (sqlite3_step(select) == SQLITE_ROW) {
            folded.push_back(NameIndex::fold(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)))));
        }
        sqlite3_finalize(select);
        sqlite3_close(db);
    }
    std::sort(folded.begin(), folded.end());
    qsizetype i = 0;
    for (auto _ : state) {
        const QString key = NameIndex::fold(values[i]);
        const auto it = std::lower_bound(folded.begin(), folded.end(), key);
        benchmark::DoNotOptimize(it != folded.end() && it->startsWith(key));
        i = (i + 1) % values.size();
    }
}

// --- Post ------------------------------------------------------------------------------

void BM_PostOneField(benchmark::State& state) {
    const QString path = bench_data::baseWithRecords(int(state.range(0)));
    RecordStore store;
    store.connect(path);
    BranchQuery& q = store.Query_Glav;
    int i = 0;
    for (auto _ : state) {
        q.Edit();
        q.FieldByName("Opisanie").SetAsString(QStringLiteral("описание %1").arg(++i));
        q.Post();
    }
}

void BM_BareUpdate(benchmark::State& state) {
    const QString path = bench_data::baseWithRecords(int(state.range(0)));
    sqlite3* db = openBare(path);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE Tab_DB_Delphi_10 SET Opisanie=? WHERE rowid=1", -1, &update,
                       nullptr);
    int i = 0;
    for (auto _ : state) {
        const QByteArray value = QStringLiteral("описание %1").arg(++i).toUtf8();
        sqlite3_bind_text(update, 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(update) != SQLITE_DONE) {
            state.SkipWithError(sqlite3_errmsg(db));
        }
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    sqlite3_close(db);
}

// --- memory ----------------------------------------------------------------------------

// The peak resident size of a fresh process of this program that only connects to the base
// (see main), against the base's text payload.
void BM_ConnectPeakMemory(benchmark::State& state) {
    const QString path = bench_data::baseWithRecords(int(state.range(0)));
    const double payload = double(bench_data::textPayloadBytes(path));
    double peak = 0, before = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QFile::symLinkTarget("/proc/self/exe"), {"--connect-peak-memory", path});
        child.waitForFinished(-1);
        const QList<QByteArray> kib = child.readAllStandardOutput().trimmed().split(' ');
        if (kib.size() != 2) {
            state.SkipWithError("the measuring process failed");
            break;
        }
        before = kib[0].toDouble() * 1024;
        peak = kib[1].toDouble() * 1024;
    }
    constexpr double kMiB = 1024.0 * 1024.0;
    state.counters["payload_MiB"] = payload / kMiB;
    state.counters["rss_before_MiB"] = before / kMiB;
    state.counters["peak_MiB"] = peak / kMiB;
    state.counters["limit_MiB"] = (1.3 * payload + 50 * 1000 * 1000) / kMiB;
}

// "VmRSS" or "VmHWM" of this process, in KiB.
long statusKib(const char* key) {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(int(qstrlen(key)) + 1).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

int measureConnect(const char* path) {
    const long before = statusKib("VmRSS");
    RecordStore store;
    store.connect(QString::fromLocal8Bit(path));
    std::printf("%ld %ld\n", before, statusKib("VmHWM"));
    return 0;
}

constexpr int kSizes[] = {1000, 10000, 100000};

void sizes(benchmark::internal::Benchmark* b) {
    for (int records : kSizes) {
        b->Arg(records);
    }
}

BENCHMARK(BM_OpenAndDeriveKey)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ConnectPeakMemory)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Connect)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BareReadTextColumns)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Locate)->Apply(sizes);
BENCHMARK(BM_LowerBoundFoldedNames)->Apply(sizes);
BENCHMARK(BM_PostOneField)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_BareUpdate)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--connect-peak-memory") == 0) {
        return measureConnect(argv[2]);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
