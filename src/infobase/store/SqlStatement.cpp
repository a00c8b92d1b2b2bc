#include "infobase/store/SqlStatement.h"

#include "common/Failure.h"
#include "infobase/store/SqlcipherApi.h"

#include <utility>

namespace infobase {
namespace {

[[noreturn]] void raiseDatabaseError(sqlite3* db) {
    throw DatabaseFailure(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_errcode(db) & 0xff);
}

// A bind failure is told by its result code alone: the connection's message stays as it was.
void checkBind(int rc) {
    if (rc != SQLITE_OK) {
        throw DatabaseFailure(QString::fromUtf8(sqlite3_errstr(rc)), rc & 0xff);
    }
}

} // namespace

SqlStatement::SqlStatement(sqlite3* db, const QByteArray& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        raiseDatabaseError(db);
    }
}

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), stmt_(std::exchange(other.stmt_, nullptr)) {}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = std::exchange(other.db_, nullptr);
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(stmt_);
}

void SqlStatement::bindText(int index, const QByteArray& utf8) {
    // An empty QByteArray may have no data pointer; SQLite reads that as NULL.
    const char* data = utf8.isNull() ? "" : utf8.constData();
    checkBind(sqlite3_bind_text64(stmt_, index, data, sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                                  SQLITE_UTF8));
}

void SqlStatement::bindBlob(int index, const QByteArray& bytes) {
    const char* data = bytes.isNull() ? "" : bytes.constData();
    checkBind(
        sqlite3_bind_blob64(stmt_, index, data, sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT));
}

void SqlStatement::bindInt64(int index, qint64 value) {
    checkBind(sqlite3_bind_int64(stmt_, index, value));
}

void SqlStatement::bindZeroBlob(int index, qint64 size) {
    checkBind(sqlite3_bind_zeroblob64(stmt_, index, sqlite3_uint64(size)));
}

bool SqlStatement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_reset(stmt_);
    throw DatabaseFailure(message, rc & 0xff);
}

void SqlStatement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

qint64 SqlStatement::columnInt64(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

QByteArray SqlStatement::columnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (text == nullptr) {
        return QByteArray();
    }
    return QByteArray(text, sqlite3_column_bytes(stmt_, column));
}

QByteArray SqlStatement::columnBlob(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    if (bytes == nullptr) {
        return QByteArray();
    }
    return QByteArray(bytes, sqlite3_column_bytes(stmt_, column));
}

QByteArrayView SqlStatement::columnTextView(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (text == nullptr) {
        return QByteArrayView();
    }
    return QByteArrayView(text, sqlite3_column_bytes(stmt_, column));
}

int SqlStatement::columnType(int column) const {
    return sqlite3_column_type(stmt_, column);
}

int SqlStatement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

QByteArray SqlStatement::columnName(int column) const {
    return QByteArray(sqlite3_column_name(stmt_, column));
}

} // namespace infobase
