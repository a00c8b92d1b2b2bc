#include "record_store_data.h"

#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cmath>
#include <random>

namespace bench_data {
namespace {

using infobase::SqlcipherConnection;
using infobase::SqlStatement;

QString dataFolder() {
    QString folder = qEnvironmentVariable("QUORLENT_BENCH_DATA");
    if (folder.isEmpty()) {
        folder =
            QFileInfo(QFile::symLinkTarget("/proc/self/exe")).dir().filePath("record_store_data");
    }
    QDir().mkpath(folder);
    return folder;
}

// A long run of words in both alphabets, from which texts are cut.
QByteArray wordPool() {
    static const char* const kWords[] = {
        "фото",     "альбом",  "ветка",  "описание", "текст",  "дача",   "отпуск",
        "документ", "рецепт",  "Москва", "лето",     "зима",   "report", "notes",
        "garden",   "invoice", "plan",   "travel",   "книга",  "работа", "проект",
        "семья",    "2024",    "scan",   "draft",    "письмо", "архив",
    };
    std::mt19937 rng(11);
    QByteArray pool;
    while (pool.size() < (1 << 20)) {
        pool += kWords[rng() % std::size(kWords)];
        pool += (rng() % 9 == 0) ? ".\n" : " ";
    }
    return pool;
}

// At most maxBytes bytes of the pool from a random place, cut at character boundaries.
QByteArray cut(const QByteArray& pool, std::mt19937& rng, int maxBytes) {
    int start = int(rng() % std::uint32_t(pool.size() - maxBytes - 8));
    while ((pool[start] & 0xC0) == 0x80) {
        ++start;
    }
    int end = start + maxBytes;
    while (end > start && (pool[end] & 0xC0) == 0x80) {
        --end;
    }
    return pool.mid(start, end - start);
}

// A name of 5-40 characters.
QByteArray name(const QByteArray& pool, std::mt19937& rng) {
    const int chars = 5 + int(rng() % 36);
    QString text = QString::fromUtf8(cut(pool, rng, 200)).simplified();
    while (text.size() < chars) {
        text += QStringLiteral(" ветка");
    }
    return text.left(chars).toUtf8();
}

void fill(QByteArray& bytes, std::mt19937_64& rng) {
    auto* words = reinterpret_cast<std::uint64_t*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size() / 8; ++i) {
        words[i] = rng();
    }
}

void generate(const QString& path, int records) {
    infobase::branch_table::createBaseFile(path);
    const SqlcipherConnection connection =
        SqlcipherConnection::open(path, infobase::branch_table::kPassword, {});
    connection.execute("BEGIN");
    SqlStatement insert = connection.prepare(
        "INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, RashirenieFile, \"File\")"
        " VALUES ('09.12.2026', ?, ?, ?, ?, ?)");
    const QByteArray pool = wordPool();
    std::mt19937 rng(records);
    std::mt19937_64 bytesRng(records);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    QByteArray attachment;
    for (int i = 0; i < records; ++i) {
        insert.reset();
        insert.bindText(1, name(pool, rng));
        insert.bindText(2, cut(pool, rng, int(rng() % 501)));
        insert.bindText(3, cut(pool, rng, int(rng() % 5121)));
        if (i % 10 == 5) {
            // 100 KB plus a steeply falling share of the remaining 4.9 MB.
            const double share = std::pow(unit(rng), 42.0);
            attachment.resize(100 * 1024 + qsizetype(share * 4.9 * 1024 * 1024));
            fill(attachment, bytesRng);
            insert.bindInt64(4, 3);
            insert.bindBlob(5, attachment);
        } else {
            insert.bindInt64(4, 0);
            insert.bindBlob(5, QByteArray());
        }
        insert.step();
    }
    insert = SqlStatement();
    connection.execute("COMMIT");
}

QString cached(const QString& fileName, int records) {
    const QString path = QDir(dataFolder()).filePath(fileName);
    if (!QFile::exists(path)) {
        const QString partial = path + QStringLiteral(".partial");
        QFile::remove(partial);
        generate(partial, records);
        QFile::rename(partial, path);
    }
    return path;
}

} // namespace

QString baseWithRecords(int records) {
    return cached(QStringLiteral("base-%1.mdb").arg(records), records);
}

QString emptyBase() {
    return cached(QStringLiteral("base-empty.mdb"), 0);
}

std::int64_t textPayloadBytes(const QString& path) {
    const SqlcipherConnection connection =
        SqlcipherConnection::open(path, infobase::branch_table::kPassword, {});
    SqlStatement sum = connection.prepare(
        "SELECT total(length(CAST(Dat AS BLOB)) + length(CAST(Imya_vetok AS BLOB)) +"
        " length(CAST(Opisanie AS BLOB)) + length(CAST(Texty AS BLOB))) FROM Tab_DB_Delphi_10");
    sum.step();
    return sum.columnInt64(0);
}

} // namespace bench_data
