#pragma once

#include "common/Failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace infobase {

// A failure the database reports: its own message, and its primary result code
// (SQLITE_BUSY, SQLITE_TOOBIG, ...) for callers that must tell a passing refusal from a
// lasting one.
class DatabaseFailure : public Failure {
public:
    DatabaseFailure(QString message, int code) : Failure(std::move(message)), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

// One prepared statement of an open base, finalized with the object. Column and
// parameter indexes follow SQLite: parameters from 1, columns from 0.
class SqlStatement {
public:
    SqlStatement() = default;
    SqlStatement(sqlite3* db, const QByteArray& sql); // throws DatabaseFailure
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&& other) noexcept;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;
    ~SqlStatement();

    bool isPrepared() const { return stmt_ != nullptr; }

    void bindText(int index, const QByteArray& utf8);
    void bindBlob(int index, const QByteArray& bytes);
    void bindInt64(int index, qint64 value);
    // Binds `size` zero bytes without allocating them, to be overwritten in place through
    // an incremental blob handle once the row is written. A size over the base's value
    // limit throws DatabaseFailure with SQLITE_TOOBIG.
    void bindZeroBlob(int index, qint64 size);

    // Runs one step: true while a row is available, false when done. A failure throws
    // DatabaseFailure with the database's own message and leaves the statement reset.
    bool step();
    // Ready to run again with new bindings.
    void reset();

    qint64 columnInt64(int column) const;
    QByteArray columnText(int column) const; // UTF-8; the empty text for NULL
    QByteArray columnBlob(int column) const; // the bytes as stored; empty for NULL
    // The same bytes without a copy, valid until the next step, reset or column read.
    QByteArrayView columnTextView(int column) const;
    int columnType(int column) const; // SQLITE_INTEGER, SQLITE_TEXT, ...
    int columnCount() const;
    QByteArray columnName(int column) const;

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace infobase
