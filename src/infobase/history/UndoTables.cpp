#include "infobase/history/UndoTables.h"

#include "infobase/store/SqlStatement.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QCryptographicHash>
#include <memory>

namespace infobase::undo_tables {
namespace {

constexpr const char* kRecreate =
    "BEGIN IMMEDIATE;"
    "DROP TABLE IF EXISTS UndoRecordImages;"
    "DROP TABLE IF EXISTS UndoTreeFiles;"
    // No declared types: every value keeps the storage class it had in the record table.
    "CREATE TABLE UndoRecordImages (slot INTEGER PRIMARY KEY, step INTEGER NOT NULL,"
    " RecordId INTEGER NOT NULL, present INTEGER NOT NULL,"
    " Dat, Imya_vetok, Opisanie, Texty, RashirenieFile, File);"
    "CREATE INDEX UndoRecordImagesByStep ON UndoRecordImages (step, RecordId);"
    "CREATE TABLE UndoTreeFiles (step INTEGER PRIMARY KEY);"
    "COMMIT;";

// An attachment is copied as zeros of its size first, then overwritten in pieces through
// blob handles: a copy in one statement would hold the whole attachment in memory, twice.
constexpr const char* kAttachmentPlaceholder =
    "CASE WHEN typeof(File) = 'blob' THEN zeroblob(length(File)) ELSE File END";

constexpr int kPieceSize = 1 << 20;

void rollBackQuietly(const SqlcipherConnection& connection) {
    if (!sqlite3_get_autocommit(connection.handle())) {
        sqlite3_exec(connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

[[noreturn]] void raise(sqlite3* db) {
    throw DatabaseFailure(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_errcode(db) & 0xff);
}

struct BlobClose {
    void operator()(sqlite3_blob* blob) const { sqlite3_blob_close(blob); }
};
using BlobHandle = std::unique_ptr<sqlite3_blob, BlobClose>;

BlobHandle openBlob(sqlite3* db, const char* table, qint64 rowId, bool write) {
    sqlite3_blob* blob = nullptr;
    if (sqlite3_blob_open(db, "main", table, "File", rowId, write ? 1 : 0, &blob) != SQLITE_OK) {
        sqlite3_blob_close(blob);
        raise(db);
    }
    return BlobHandle(blob);
}

// Copies the attachment of one row into the zeros of the same size already in the other,
// through a buffer of a fixed size. Nothing to do when the value is not a blob.
void copyAttachment(const SqlcipherConnection& connection, const char* fromTable, qint64 fromRow,
                    const char* toTable, qint64 toRow) {
    SqlStatement kind = connection.prepare(QByteArray("SELECT typeof(File) = 'blob' FROM ") +
                                           fromTable + " WHERE rowid = ?");
    kind.bindInt64(1, fromRow);
    if (!kind.step() || kind.columnInt64(0) == 0) {
        return;
    }
    kind.reset();
    sqlite3* db = connection.handle();
    const BlobHandle from = openBlob(db, fromTable, fromRow, false);
    const BlobHandle to = openBlob(db, toTable, toRow, true);
    const int size = sqlite3_blob_bytes(from.get());
    QByteArray buffer(std::min(size, kPieceSize), Qt::Uninitialized);
    for (int offset = 0; offset < size; offset += kPieceSize) {
        const int count = std::min(kPieceSize, size - offset);
        if (sqlite3_blob_read(from.get(), buffer.data(), count, offset) != SQLITE_OK ||
            sqlite3_blob_write(to.get(), buffer.constData(), count, offset) != SQLITE_OK) {
            raise(db);
        }
    }
}

void run(SqlStatement& statement) {
    statement.step();
    statement.reset();
}

// Copies the record row into a new image of the step; an absent row gives an image that
// says so.
void copyRowImage(const SqlcipherConnection& connection, qint64 step, qint64 rowId) {
    SqlStatement copy = connection.prepare(
        QByteArray("INSERT INTO UndoRecordImages (step, RecordId, present, Dat, Imya_vetok, "
                   "Opisanie, Texty, RashirenieFile, File) SELECT ?, rowid, 1, Dat, Imya_vetok, "
                   "Opisanie, Texty, RashirenieFile, ") +
        kAttachmentPlaceholder + " FROM Tab_DB_Delphi_10 WHERE rowid = ?");
    copy.bindInt64(1, step);
    copy.bindInt64(2, rowId);
    run(copy);
    if (connection.changes() == 0) {
        SqlStatement absent = connection.prepare(
            "INSERT INTO UndoRecordImages (step, RecordId, present) VALUES (?, ?, 0)");
        absent.bindInt64(1, step);
        absent.bindInt64(2, rowId);
        run(absent);
        return;
    }
    copyAttachment(connection, "Tab_DB_Delphi_10", rowId, "UndoRecordImages",
                   connection.lastInsertRowId());
}

struct Image {
    qint64 slot = 0;
    bool present = false;
};

std::optional<Image> imageOf(const SqlcipherConnection& connection, qint64 step, qint64 rowId) {
    SqlStatement select = connection.prepare(
        "SELECT slot, present FROM UndoRecordImages WHERE step = ? AND RecordId = ?");
    select.bindInt64(1, step);
    select.bindInt64(2, rowId);
    if (!select.step()) {
        return std::nullopt;
    }
    return Image{select.columnInt64(0), select.columnInt64(1) != 0};
}

} // namespace

void recreate(const SqlcipherConnection& connection) {
    try {
        connection.execute(kRecreate);
    } catch (...) {
        rollBackQuietly(connection);
        throw;
    }
}

void drop(const SqlcipherConnection& connection) {
    try {
        connection.execute("BEGIN IMMEDIATE;"
                           "DROP TABLE IF EXISTS UndoRecordImages;"
                           "DROP TABLE IF EXISTS UndoTreeFiles;"
                           "COMMIT;");
    } catch (...) {
        rollBackQuietly(connection);
    }
}

void keepRow(const SqlcipherConnection& connection, qint64 step, qint64 rowId, bool added) {
    if (imageOf(connection, step, rowId)) {
        return; // the row as it was before the step's first change of it
    }
    if (added) {
        SqlStatement absent = connection.prepare(
            "INSERT INTO UndoRecordImages (step, RecordId, present) VALUES (?, ?, 0)");
        absent.bindInt64(1, step);
        absent.bindInt64(2, rowId);
        run(absent);
        return;
    }
    copyRowImage(connection, step, rowId);
}

void keepTree(const SqlcipherConnection& connection, qint64 step) {
    SqlStatement insert =
        connection.prepare("INSERT OR IGNORE INTO UndoTreeFiles (step) VALUES (?)");
    insert.bindInt64(1, step);
    run(insert);
}

std::vector<qint64> keptRows(const SqlcipherConnection& connection, qint64 step) {
    SqlStatement select = connection.prepare(
        "SELECT RecordId FROM UndoRecordImages WHERE step = ? ORDER BY RecordId");
    select.bindInt64(1, step);
    std::vector<qint64> rows;
    while (select.step()) {
        rows.push_back(select.columnInt64(0));
    }
    return rows;
}

bool keepsTree(const SqlcipherConnection& connection, qint64 step) {
    SqlStatement select = connection.prepare("SELECT 1 FROM UndoTreeFiles WHERE step = ?");
    select.bindInt64(1, step);
    return select.step();
}

void swapRow(const SqlcipherConnection& connection, qint64 step, qint64 rowId) {
    const std::optional<Image> old = imageOf(connection, step, rowId);
    if (!old) {
        throw DatabaseFailure(QStringLiteral("no image of row %1").arg(rowId), SQLITE_CORRUPT);
    }
    copyRowImage(connection, step, rowId);
    SqlStatement remove = connection.prepare("DELETE FROM Tab_DB_Delphi_10 WHERE rowid = ?");
    remove.bindInt64(1, rowId);
    run(remove);
    if (old->present) {
        SqlStatement restore = connection.prepare(
            QByteArray("INSERT INTO Tab_DB_Delphi_10 (rowid, Dat, Imya_vetok, Opisanie, Texty, "
                       "RashirenieFile, File) SELECT RecordId, Dat, Imya_vetok, Opisanie, Texty, "
                       "RashirenieFile, ") +
            kAttachmentPlaceholder + " FROM UndoRecordImages WHERE slot = ?");
        restore.bindInt64(1, old->slot);
        run(restore);
        copyAttachment(connection, "UndoRecordImages", old->slot, "Tab_DB_Delphi_10", rowId);
    }
    SqlStatement forget = connection.prepare("DELETE FROM UndoRecordImages WHERE slot = ?");
    forget.bindInt64(1, old->slot);
    run(forget);
}

std::optional<QString> rowName(const SqlcipherConnection& connection, qint64 rowId) {
    SqlStatement select =
        connection.prepare("SELECT Imya_vetok FROM Tab_DB_Delphi_10 WHERE rowid = ?");
    select.bindInt64(1, rowId);
    if (!select.step()) {
        return std::nullopt;
    }
    return QString::fromUtf8(select.columnText(0));
}

std::optional<QString> keptName(const SqlcipherConnection& connection, qint64 step, qint64 rowId) {
    SqlStatement select = connection.prepare(
        "SELECT present, Imya_vetok FROM UndoRecordImages WHERE step = ? AND RecordId = ?");
    select.bindInt64(1, step);
    select.bindInt64(2, rowId);
    if (!select.step() || select.columnInt64(0) == 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(select.columnText(1));
}

bool nameTakenByOtherRow(const SqlcipherConnection& connection, const QString& name, qint64 rowId) {
    SqlStatement select = connection.prepare(
        "SELECT 1 FROM Tab_DB_Delphi_10 WHERE Imya_vetok = ? AND rowid <> ? LIMIT 1");
    select.bindText(1, name.toUtf8());
    select.bindInt64(2, rowId);
    return select.step();
}

qint64 othersVersion(const SqlcipherConnection& connection) {
    SqlStatement select = connection.prepare("PRAGMA data_version");
    select.step();
    return select.columnInt64(0);
}

QByteArray rowFingerprint(const SqlcipherConnection& connection, qint64 rowId) {
    SqlStatement select =
        connection.prepare("SELECT Dat, Imya_vetok, Opisanie, Texty, RashirenieFile, "
                           "typeof(File), length(File) FROM Tab_DB_Delphi_10 WHERE rowid = ?");
    select.bindInt64(1, rowId);
    if (!select.step()) {
        return QByteArrayLiteral("absent");
    }
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int column = 0; column < 7; ++column) {
        const QByteArray value = select.columnText(column);
        hash.addData(QByteArray::number(select.columnType(column)) + ':' +
                     QByteArray::number(value.size()) + ':');
        hash.addData(value);
    }
    return hash.result();
}

void removeSteps(const SqlcipherConnection& connection, const std::vector<qint64>& steps) {
    SqlStatement images = connection.prepare("DELETE FROM UndoRecordImages WHERE step = ?");
    SqlStatement trees = connection.prepare("DELETE FROM UndoTreeFiles WHERE step = ?");
    for (const qint64 step : steps) {
        images.bindInt64(1, step);
        run(images);
        trees.bindInt64(1, step);
        run(trees);
    }
}

void forgetSteps(const SqlcipherConnection& connection, const std::vector<qint64>& steps) {
    if (steps.empty()) {
        return;
    }
    try {
        connection.execute("BEGIN IMMEDIATE");
        removeSteps(connection, steps);
        connection.execute("COMMIT");
    } catch (...) {
        rollBackQuietly(connection);
    }
}

} // namespace infobase::undo_tables
