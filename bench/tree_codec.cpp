// The tree file codec on trees of 1 000 to 1 000 000 nodes (Cyrillic texts of 5–40
// characters, nesting up to 8 levels), each beside the floor it cannot beat, in the same run:
//   write: WriteComponent into a new file   vs. fwrite of the same bytes into a new file;
//   replace: writeTreeFile (temporary file, fsync, rename) vs. fwrite, fsync and rename;
//   read: readTreeFile into an empty tree   vs. fread of the same bytes, both into memory the
//         process used before (as the raw read's buffer is) and both into untouched memory;
// plus the heap that a read tree holds per node, beside the bytes of its texts; and the check
// that a new name is free: the count per name looked up, against a walk through every node,
// and the first check of a run, which counts the names once (or, prepared after the read, what
// the reading thread pays for the count made on another).
//
// On a shared machine run it with repetitions and compare medians:
//   bench_tree_codec --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "infobase/tree/BranchNames.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/tree/TreeStream.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <map>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

using namespace infobase;

constexpr int kMaxLevel = 7; // eight levels: 0 … 7

// A tree of `count` nodes built as the program builds it, with deterministic random texts
// and shape: each node goes one level deeper, stays, or climbs back a few levels.
std::unique_ptr<TTreeNodes> makeTree(int count) {
    auto items = std::make_unique<TTreeNodes>();
    std::mt19937 random(20240601u + unsigned(count));
    std::uniform_int_distribution<int> length(5, 40);
    std::uniform_int_distribution<int> letter(0x0430, 0x044F); // а … я
    std::uniform_int_distribution<int> step(0, 9);
    TTreeNode* last = nullptr;
    for (int i = 0; i < count; ++i) {
        QString text(length(random), Qt::Uninitialized);
        for (QChar& c : text) {
            c = QChar(letter(random));
        }
        const int move = step(random);
        if (!last) {
            last = items->Add(nullptr, text);
        } else if (move < 3 && last->Level() < kMaxLevel) {
            last = items->AddChild(last, text);
        } else {
            TTreeNode* sibling = last;
            for (int up = move - 7; up > 0 && sibling->Parent(); --up) {
                sibling = sibling->Parent();
            }
            last = items->Add(sibling, text);
        }
    }
    return items;
}

struct Fixture {
    std::unique_ptr<TTreeNodes> items;
    QByteArray bytes; // the tree file
    qint64 textUnits = 0;
};

const Fixture& fixture(int count) {
    static std::map<int, Fixture> cache;
    Fixture& f = cache[count];
    if (!f.items) {
        f.items = makeTree(count);
        QBuffer buffer(&f.bytes);
        buffer.open(QIODevice::WriteOnly);
        WriteComponent(buffer, TreeViewState{}, *f.items);
        for (const TTreeNode* n = f.items->getFirstNode(); n;) {
            f.textUnits += n->Text().size();
            if (n->getFirstChild()) {
                n = n->getFirstChild();
                continue;
            }
            while (n && !n->getNextSibling()) {
                n = n->Parent();
            }
            n = n ? n->getNextSibling() : nullptr;
        }
    }
    return f;
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString pathFor(const char* name, int count) {
    return folder().filePath(QStringLiteral("%1-%2.dat").arg(QLatin1String(name)).arg(count));
}

void setCounters(benchmark::State& state, const Fixture& f) {
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
    state.counters["nodes"] = double(f.items->Count());
    state.counters["file_MB"] = double(f.bytes.size()) / 1e6;
}

// --- write ----------------------------------------------------------------------------

void BM_WriteComponent(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QString path = pathFor("codec", int(state.range(0)));
    for (auto _ : state) {
        QFile file(path); // buffered and flushed, as writeTreeFile writes
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        WriteComponent(file, TreeViewState{}, *f.items);
        file.flush();
    }
    setCounters(state, f);
}

void BM_RawFwrite(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QByteArray path = QFile::encodeName(pathFor("raw", int(state.range(0))));
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.constData(), "wb");
        std::fwrite(f.bytes.constData(), 1, size_t(f.bytes.size()), file);
        std::fclose(file);
    }
    setCounters(state, f);
}

// --- replace (what the program does after every edit) ---------------------------------

void BM_WriteTreeFile(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QString path = pathFor("replace", int(state.range(0)));
    for (auto _ : state) {
        writeTreeFile(path, TreeViewState{}, *f.items);
    }
    setCounters(state, f);
}

void BM_RawFwriteFsyncRename(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QByteArray path = QFile::encodeName(pathFor("rawreplace", int(state.range(0))));
    const QByteArray temp = path + ".tmp";
    for (auto _ : state) {
        std::FILE* file = std::fopen(temp.constData(), "wb");
        std::fwrite(f.bytes.constData(), 1, size_t(f.bytes.size()), file);
        std::fflush(file);
        ::fsync(fileno(file));
        std::fclose(file);
        std::rename(temp.constData(), path.constData());
    }
    setCounters(state, f);
}

// --- read -----------------------------------------------------------------------------

QString storedFile(int count) {
    const QString path = pathFor("stored", count);
    if (!QFile::exists(path)) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(fixture(count).bytes);
    }
    return path;
}

std::unique_ptr<TTreeNodes> readTree(const QString& path) {
    auto items = std::make_unique<TTreeNodes>();
    TreeViewState view;
    readTreeFile(path, view, *items);
    benchmark::DoNotOptimize(items->Count());
    return items;
}

void freadWhole(const QByteArray& path, char* buffer, qsizetype size) {
    std::FILE* file = std::fopen(path.constData(), "rb");
    benchmark::DoNotOptimize(std::fread(buffer, 1, size_t(size), file));
    std::fclose(file);
}

void BM_ReadTreeFile(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QString path = storedFile(int(state.range(0)));
    for (auto _ : state) {
        auto items = readTree(path);
        // Freeing the tree is no part of reading it; nor is the heap's deferred tidying of
        // what was freed, which a program reading at start-up does not meet: a request of
        // 64 KiB makes the heap merge the freed small blocks now.
        state.PauseTiming();
        items.reset();
        std::free(std::malloc(64 * 1024));
        state.ResumeTiming();
    }
    setCounters(state, f);
}

void BM_RawFread(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QByteArray path = QFile::encodeName(storedFile(int(state.range(0))));
    QByteArray buffer(f.bytes.size(), Qt::Uninitialized);
    for (auto _ : state) {
        freadWhole(path, buffer.data(), buffer.size());
    }
    setCounters(state, f);
}

// The same two reads as at the program's start-up: into memory the process has not touched
// yet, so that both pay the system's page faults. The heap hands back everything it can
// before each iteration.
void BM_ReadTreeFileCold(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QString path = storedFile(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        state.ResumeTiming();
        auto items = readTree(path);
        state.PauseTiming();
        items.reset();
        state.ResumeTiming();
    }
    setCounters(state, f);
}

void BM_RawFreadCold(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QByteArray path = QFile::encodeName(storedFile(int(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        state.ResumeTiming();
        char* buffer = static_cast<char*>(std::malloc(size_t(f.bytes.size())));
        freadWhole(path, buffer, f.bytes.size());
        state.PauseTiming();
        std::free(buffer);
        state.ResumeTiming();
    }
    setCounters(state, f);
}

// --- the name check -------------------------------------------------------------------

// Whether a new name is free, as an add asks it: against the walk through every node that
// the check used to be, in the same run. A name no node carries makes the walk go to the end.
void BM_NameCheckWalk(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QString name = QStringLiteral("новое имя");
    for (auto _ : state) {
        bool taken = false;
        for (const TTreeNode* n = f.items->getFirstNode(); n && !taken; n = n->GetNext()) {
            taken = n->Text() == name;
        }
        benchmark::DoNotOptimize(taken);
    }
    state.counters["nodes"] = double(f.items->Count());
}

void BM_NameCheckIndex(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QString name = QStringLiteral("новое имя");
    nameTakenByOther(*f.items, name, nullptr); // the counts are made on first use
    for (auto _ : state) {
        benchmark::DoNotOptimize(nameTakenByOther(*f.items, name, nullptr));
    }
    state.counters["nodes"] = double(f.items->Count());
}

// A tree read from the stored file, outside the timing.
std::unique_ptr<TTreeNodes> treeReadUntimed(benchmark::State& state, const QString& path) {
    state.PauseTiming();
    auto items = std::make_unique<TTreeNodes>();
    TreeViewState view;
    readTreeFile(path, view, *items);
    state.ResumeTiming();
    return items;
}

// The first check of a run, which counts every name once (a tree read from the file).
void BM_NameCheckFirstUse(benchmark::State& state) {
    const QString path = storedFile(int(state.range(0)));
    for (auto _ : state) {
        auto items = treeReadUntimed(state, path);
        benchmark::DoNotOptimize(nameTakenByOther(*items, QStringLiteral("новое имя"), nullptr));
        state.PauseTiming();
        items.reset();
        state.ResumeTiming();
    }
}

// What the reading thread pays to have that count made on another one.
void BM_NameCountsPrepare(benchmark::State& state) {
    const QString path = storedFile(int(state.range(0)));
    for (auto _ : state) {
        auto items = treeReadUntimed(state, path);
        items->prepareNameCounts();
        state.PauseTiming();
        benchmark::DoNotOptimize(nameTakenByOther(*items, QStringLiteral("новое имя"), nullptr));
        items.reset();
        state.ResumeTiming();
    }
}

// --- memory ---------------------------------------------------------------------------

// The heap a tree read from the file holds, per node, with and without its texts' UTF-16
// code units (2 bytes each).
void BM_MemoryPerNode(benchmark::State& state) {
    const Fixture& f = fixture(int(state.range(0)));
    const QString path = storedFile(int(state.range(0)));
    double perNode = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        auto items = std::make_unique<TTreeNodes>();
        TreeViewState view;
        readTreeFile(path, view, *items);
        const size_t after = mallinfo2().uordblks;
        perNode = double(after - before) / items->Count();
    }
    const double textPerNode = 2.0 * double(f.textUnits) / f.items->Count();
    state.counters["heap_per_node"] = perNode;
    state.counters["text_per_node"] = textPerNode;
    state.counters["overhead_per_node"] = perNode - textPerNode;
}

void sizes(benchmark::internal::Benchmark* b) {
    for (const int n : {1'000, 10'000, 100'000, 1'000'000}) {
        b->Arg(n);
    }
}

BENCHMARK(BM_WriteComponent)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawFwrite)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteTreeFile)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawFwriteFsyncRename)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadTreeFile)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawFread)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadTreeFileCold)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawFreadCold)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MemoryPerNode)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_NameCheckWalk)->Apply(sizes)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_NameCheckIndex)->Apply(sizes)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_NameCheckFirstUse)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NameCountsPrepare)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // Whether the heap hands freed memory back to the system between two reads, so that the
    // next read pays a page fault per 4 KiB again, depends on glibc's adaptive thresholds and
    // thus on what the process did before. Fixed thresholds make every size meet the same
    // heap: memory a read freed is reused, as the raw fread reuses its buffer.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
