#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace infobase {

// One prepared statement of an open base, finalized with the object. Column and
// parameter indexes follow SQLite: parameters from 1, columns from 0.
class SqlStatement {
public:
    SqlStatement() = default;
    SqlStatement(sqlite3* db, const QByteArray& sql); // throws Failure with the database's message
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&& other) noexcept;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;
    ~SqlStatement();

    bool isPrepared() const { return stmt_ != nullptr; }

    void bindText(int index, const QByteArray& utf8);
    void bindBlob(int index, const QByteArray& bytes);
    // Binds the bytes without copying them: they must stay alive and unchanged until the
    // statement is reset. For attachments, which may be large.
    void bindBlobInPlace(int index, const QByteArray& bytes);
    void bindInt64(int index, qint64 value);

    // Runs one step: true while a row is available, false when done. A failure throws
    // Failure with the database's own message and leaves the statement reset.
    bool step();
    // Ready to run again with new bindings.
    void reset();

    qint64 columnInt64(int column) const;
    QByteArray columnText(int column) const; // UTF-8; the empty text for NULL
    int columnType(int column) const;        // SQLITE_INTEGER, SQLITE_TEXT, ...
    int columnCount() const;
    QByteArray columnName(int column) const;

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace infobase
