// The import of the Windows program's Jet 4.0 base: a base of about 100 MB (100 records,
// each with a 1 MiB attachment in a chain of long-value pages and a 2 KB text) brought across
// as `quorlent-tool base import` does it (BM_JetImport: read, decode, write beside, check,
// sync, put in place), against the floor in the same run: a bare libmdb read of every value
// (its own text conversion, mdb_ole_read over each attachment into memory) plus the same
// inserts into an empty base in one transaction (BM_BareReadAndInsert).
//
// The Jet file is written once per run into a temporary folder by the tests' Jet writer.
#include "JetFileWriter.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "jet/JetImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <glib.h>
#include <mdbtools.h>
#include <vector>

namespace {

constexpr int kRecords = 100;
constexpr quint64 kAttachmentBytes = 1 << 20;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

const QString& jetFile() {
    static const QString path = [] {
        const QString file = folder().filePath(QStringLiteral("windows.mdb"));
        jetfile::JetTableSpec table = jetfile::recordTable();
        const QString text = QString::fromUtf8("Текст ветки, строка за строкой. ").repeated(32);
        for (int i = 0; i < kRecords; ++i) {
            jetfile::JetLongValue attachment;
            attachment.size = kAttachmentBytes;
            attachment.fill = [i](quint64 offset, char* buffer, std::size_t length) {
                for (std::size_t k = 0; k < length; ++k) {
                    buffer[k] = char((offset + k) * 31 + quint64(i));
                }
            };
            table.rows.push_back({QDateTime(QDate(2012, 1, 1), QTime(12, 0)),
                                  QStringLiteral("Ветка %1").arg(i), QStringLiteral("описание"),
                                  text, attachment, qint64(0)});
        }
        jetfile::writeJetFile(file, {table, jetfile::passwordTable()});
        return file;
    }();
    return path;
}

QString freshBasePath() {
    const QString base = folder().filePath(QStringLiteral("Quorlent.mdb"));
    QFile::remove(base);
    return base;
}

void BM_JetImport(benchmark::State& state) {
    const QString& jet = jetFile();
    for (auto _ : state) {
        state.PauseTiming();
        const QString base = freshBasePath();
        state.ResumeTiming();
        benchmark::DoNotOptimize(jet::importJetBase(jet, base, [](const jet::ImportStep&) {}));
    }
}

// libmdb's own way to read a table: bound columns converted to text, each attachment read
// whole into memory; then the same six values inserted with the bare statement API.
void BM_BareReadAndInsert(benchmark::State& state) {
    const QByteArray jet = QFile::encodeName(jetFile());
    std::vector<char> bound[6];
    for (auto& column : bound) {
        column.resize(MDB_BIND_SIZE);
    }
    for (auto _ : state) {
        state.PauseTiming();
        const QString base = freshBasePath();
        infobase::branch_table::createBaseFile(base);
        state.ResumeTiming();

        const infobase::SqlcipherConnection connection = infobase::SqlcipherConnection::open(
            base, infobase::branch_table::kPassword, infobase::SqlcipherConnection::Options{});
        connection.execute("BEGIN");
        MdbHandle* mdb = mdb_open(jet.constData(), MDB_NOFLAGS);
        mdb_read_catalog(mdb, MDB_TABLE);
        MdbTableDef* table =
            mdb_read_table_by_name(mdb, const_cast<gchar*>("Tab_DB_Delphi_10"), MDB_TABLE);
        mdb_read_columns(table);
        mdb_rewind_table(table);
        for (int i = 0; i < 6; ++i) {
            mdb_bind_column(table, i + 1, bound[i].data(), nullptr);
        }
        auto* file = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, 4));
        QByteArray attachment;
        while (mdb_fetch_row(table)) {
            char header[MDB_MEMO_OVERHEAD];
            std::memcpy(header, bound[4].data(), MDB_MEMO_OVERHEAD);
            attachment.clear();
            std::vector<char> page(MDB_PGSIZE);
            file->bind_ptr = page.data();
            for (std::size_t got = mdb_ole_read(mdb, file, header, MDB_PGSIZE); got > 0;
                 got = mdb_ole_read_next(mdb, file, header)) {
                attachment.append(page.data(), qsizetype(got));
            }
            file->bind_ptr = bound[4].data();
            infobase::SqlStatement insert = connection.prepare(
                "INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, File,"
                " RashirenieFile) VALUES (?, ?, ?, ?, ?, ?)");
            for (int column : {0, 1, 2, 3}) {
                insert.bindText(column + 1, QByteArray(bound[column].data()));
            }
            insert.bindBlob(5, attachment);
            insert.bindInt64(6, QByteArray(bound[5].data()).toLongLong());
            insert.step();
        }
        mdb_free_tabledef(table);
        mdb_close(mdb);
        connection.execute("COMMIT");
        benchmark::DoNotOptimize(attachment.size());
    }
}

BENCHMARK(BM_JetImport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareReadAndInsert)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
