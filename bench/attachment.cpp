// A big attachment, 500 MB, each path beside the floor it cannot beat, in the same run and
// into the same kind of base (keyed, rollback journal, full synchronisation):
//   attach (LoadFromStream of the file, then Post)  vs. a bare UPDATE binding a zeroblob,
//                                                       then sqlite3_blob_write of the file
//                                                       in 1 MiB pieces, in one transaction;
//   open   (extractAttachment to a file)            vs. sqlite3_blob_read in 1 MiB pieces,
//                                                       each written to a file;
// plus the peak memory of a fresh process that attaches or opens, against its peak before.
//
// The files (about 2 GB at the most) live in a temporary folder beside the base's usual
// place on disk, QUORLENT_BENCH_DATA or /tmp, removed at the end. On a shared machine run
//   bench_attachment --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//       --benchmark_report_aggregates_only=true
#include "infobase/store/AttachmentFiles.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordStore.h"
#include "infobase/store/SqlcipherApi.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace infobase;

constexpr qint64 kFileSize = 500 * 1000 * 1000;
constexpr int kPiece = 1 << 20;

QString gFolder; // set by main

QString inFolder(const char* name) {
    return QDir(gFolder).filePath(QLatin1String(name));
}

QString sourceFile() {
    return inFolder("source.pdf");
}

// Bytes that look random enough that nothing on the way could shortcut them.
void writeSourceFile() {
    QFile file(sourceFile());
    if (file.exists() && file.size() == kFileSize) {
        return;
    }
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray piece(kPiece, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (qint64 written = 0; written < kFileSize; written += piece.size()) {
        for (char& byte : piece) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            byte = char(x);
        }
        file.write(piece.constData(), std::min<qint64>(piece.size(), kFileSize - written));
    }
}

// A new base holding one record without attachment, "big".
QString freshBase(const char* name) {
    const QString path = inFolder(name);
    QFile::remove(path);
    branch_table::createBaseFile(path);
    const SqlcipherConnection connection =
        SqlcipherConnection::open(path, branch_table::kPassword, {});
    connection.execute("INSERT INTO Tab_DB_Delphi_10 (Imya_vetok) VALUES ('big')");
    return path;
}

// The base opened with the bare API as the store opens it.
sqlite3* openBare(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_key(db, branch_table::kPassword.constData(), int(branch_table::kPassword.size()));
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
    return db;
}

bool bareAttach(const QString& base, const QString& file) {
    sqlite3* db = openBare(base);
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE Tab_DB_Delphi_10 SET File=?, RashirenieFile=3 WHERE rowid=1", -1,
                       &update, nullptr);
    sqlite3_bind_zeroblob64(update, 1, kFileSize);
    bool ok = sqlite3_step(update) == SQLITE_DONE;
    sqlite3_finalize(update);
    sqlite3_blob* blob = nullptr;
    ok = ok && sqlite3_blob_open(db, "main", "Tab_DB_Delphi_10", "File", 1, 1, &blob) == SQLITE_OK;
    std::vector<char> piece(kPiece);
    for (int offset = 0; ok && offset < kFileSize;) {
        const ssize_t count = ::read(fd, piece.data(), piece.size());
        ok = count > 0 && sqlite3_blob_write(blob, piece.data(), int(count), offset) == SQLITE_OK;
        offset += int(count);
    }
    sqlite3_blob_close(blob);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    ::close(fd);
    sqlite3_close(db);
    return ok;
}

// The base whose record "big" holds the source file, made by main.
QString baseWithAttachment() {
    return inFolder("open.mdb");
}

void attach(RecordStore& store) {
    QFile file(sourceFile());
    file.open(QIODevice::ReadOnly);
    BranchQuery& q = store.Query_Glav;
    q.LocateOwn(QStringLiteral("big"));
    q.Edit();
    q.FieldByName(QStringLiteral("File")).LoadFromStream(file);
    q.FieldByName(QStringLiteral("RashirenieFile")).SetAsInteger(kindPdf);
    q.Post();
}

// --- attach ----------------------------------------------------------------------------

void BM_Attach(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const QString base = freshBase("attach.mdb");
        auto store = std::make_unique<RecordStore>();
        store->connect(base);
        state.ResumeTiming();
        attach(*store);
        state.PauseTiming();
        store.reset();
        QFile::remove(base);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_BareZeroblobWrite(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const QString base = freshBase("attach.mdb");
        state.ResumeTiming();
        if (!bareAttach(base, sourceFile())) {
            state.SkipWithError("the bare attach failed");
        }
        state.PauseTiming();
        QFile::remove(base);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

// --- open ------------------------------------------------------------------------------

void BM_Open(benchmark::State& state) {
    RecordStore store;
    store.connect(baseWithAttachment());
    store.Query_Glav.LocateOwn(QStringLiteral("big"));
    const QString target = inFolder("Dokument.pdf");
    for (auto _ : state) {
        if (extractAttachment(store.Query_Glav.FieldByName(QStringLiteral("File")), target) !=
            kFileSize) {
            state.SkipWithError("the extracted file has another size");
        }
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_BareBlobRead(benchmark::State& state) {
    sqlite3* db = openBare(baseWithAttachment());
    const QByteArray target = QFile::encodeName(inFolder("bare.pdf"));
    std::vector<char> piece(kPiece);
    for (auto _ : state) {
        sqlite3_blob* blob = nullptr;
        sqlite3_blob_open(db, "main", "Tab_DB_Delphi_10", "File", 1, 0, &blob);
        const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int size = sqlite3_blob_bytes(blob);
        for (int offset = 0; offset < size; offset += kPiece) {
            const int count = std::min(kPiece, size - offset);
            if (sqlite3_blob_read(blob, piece.data(), count, offset) != SQLITE_OK ||
                ::write(fd, piece.data(), std::size_t(count)) != count) {
                state.SkipWithError("the bare read failed");
                break;
            }
        }
        ::close(fd);
        sqlite3_blob_close(blob);
        state.PauseTiming();
        ::unlink(target.constData());
        state.ResumeTiming();
    }
    sqlite3_close(db);
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

// --- memory ----------------------------------------------------------------------------

long peakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// In a fresh process: connects, then prints its peak resident size before and after the
// attach or open, in KiB.
int measurePeak(const char* what) {
    RecordStore store;
    const bool attaching = qstrcmp(what, "attach") == 0;
    store.connect(attaching ? freshBase("attach.mdb") : baseWithAttachment());
    store.Query_Glav.LocateOwn(QStringLiteral("big"));
    const long before = peakKib();
    if (attaching) {
        attach(store);
    } else {
        extractAttachment(store.Query_Glav.FieldByName(QStringLiteral("File")),
                          inFolder("Dokument.pdf"));
    }
    std::printf("%ld %ld\n", before, peakKib());
    return 0;
}

void peakMemory(benchmark::State& state, const char* what) {
    double before = 0, during = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QFile::symLinkTarget("/proc/self/exe"), {"--peak-memory", what, gFolder});
        child.waitForFinished(-1);
        const QList<QByteArray> kib = child.readAllStandardOutput().trimmed().split(' ');
        if (kib.size() != 2) {
            state.SkipWithError("the measuring process failed");
            break;
        }
        before = kib[0].toDouble() / 1024;
        during = kib[1].toDouble() / 1024;
    }
    QFile::remove(inFolder("attach.mdb"));
    QFile::remove(inFolder("Dokument.pdf"));
    state.counters["peak_before_MiB"] = before;
    state.counters["peak_during_MiB"] = during;
    state.counters["growth_MiB"] = during - before;
}

void BM_AttachPeakMemory(benchmark::State& state) {
    peakMemory(state, "attach");
}

void BM_OpenPeakMemory(benchmark::State& state) {
    peakMemory(state, "open");
}

BENCHMARK(BM_AttachPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OpenPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Attach)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BareZeroblobWrite)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BareBlobRead)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--peak-memory") == 0) {
        gFolder = QString::fromLocal8Bit(argv[3]);
        return measurePeak(argv[2]);
    }
    QString parent = qEnvironmentVariable("QUORLENT_BENCH_DATA");
    if (parent.isEmpty()) {
        parent = QDir::tempPath();
    }
    QTemporaryDir folder(QDir(parent).filePath(QStringLiteral("attachment-XXXXXX")));
    gFolder = folder.path();
    writeSourceFile();
    if (!bareAttach(freshBase("open.mdb"), sourceFile())) {
        std::fprintf(stderr, "cannot make the base to open\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
