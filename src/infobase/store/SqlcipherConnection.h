#pragma once

#include "infobase/store/SqlStatement.h"

#include <QString>

struct sqlite3;

namespace infobase {

// An open, keyed connection to one SQLCipher base file, closed with the object.
//
// Opening never creates the file and never writes to it: the key is set before any other
// statement and proven by a read of sqlite_master. A wrong key, random bytes and a damaged
// first page all give "file is encrypted or is not a database"; every failure throws
// Failure with the database's own message and leaves the file as it was.
//
// The connection uses a rollback journal (never WAL), so that after each committed write
// the base file alone holds everything, and waits up to busyTimeoutMs for a lock another
// process holds before giving up with "database is locked".
class SqlcipherConnection {
public:
    struct Options {
        int busyTimeoutMs = 5000;
        bool readOnly = false;     // for looking only: nothing is ever written, not even the mode
        const char* vfs = nullptr; // a registered file system layer by name; null: the system's
    };

    SqlcipherConnection() = default;
    SqlcipherConnection(SqlcipherConnection&& other) noexcept;
    SqlcipherConnection& operator=(SqlcipherConnection&& other) noexcept;
    SqlcipherConnection(const SqlcipherConnection&) = delete;
    SqlcipherConnection& operator=(const SqlcipherConnection&) = delete;
    ~SqlcipherConnection();

    // Opens an existing file for reading and writing. A file that can only be read (the
    // system refuses to open it for writing) does not open either.
    static SqlcipherConnection open(const QString& path, const QByteArray& key,
                                    const Options& options);

    bool isOpen() const { return db_ != nullptr; }
    void close();

    SqlStatement prepare(const QByteArray& sql) const;
    // Runs statements that return no rows; throws DatabaseFailure.
    void execute(const QByteArray& sql) const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;
    qint64 lastInsertRowId() const;
    QString errorMessage() const;

    sqlite3* handle() const { return db_; }
    // How long the connection waits for another process's lock, as opened.
    int busyTimeoutMs() const { return busyTimeoutMs_; }

private:
    explicit SqlcipherConnection(sqlite3* db) : db_(db) {}
    sqlite3* db_ = nullptr;
    int busyTimeoutMs_ = 0;
};

} // namespace infobase
