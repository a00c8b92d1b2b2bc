#include "infobase/store/SqlcipherConnection.h"

#include "common/Failure.h"
#include "infobase/store/SqlcipherApi.h"

#include <QFile>
#include <utility>

namespace infobase {

SqlcipherConnection::SqlcipherConnection(SqlcipherConnection&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), busyTimeoutMs_(other.busyTimeoutMs_) {}

SqlcipherConnection& SqlcipherConnection::operator=(SqlcipherConnection&& other) noexcept {
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        busyTimeoutMs_ = other.busyTimeoutMs_;
    }
    return *this;
}

SqlcipherConnection::~SqlcipherConnection() {
    close();
}

void SqlcipherConnection::close() {
    // close_v2 lets a statement still alive elsewhere finish on its own.
    sqlite3_close_v2(std::exchange(db_, nullptr));
}

SqlcipherConnection SqlcipherConnection::open(const QString& path, const QByteArray& key,
                                              const Options& options) {
    sqlite3* raw = nullptr;
    const QByteArray file = QFile::encodeName(path);
    const int flags = options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(file.constData(), &raw, flags, options.vfs);
    SqlcipherConnection connection(raw);
    if (rc != SQLITE_OK) {
        throw Failure(raw ? connection.errorMessage() : QStringLiteral("out of memory"));
    }
    // The key comes before any statement: every page, the first included, is encrypted.
    if (sqlite3_key(raw, key.constData(), int(key.size())) != SQLITE_OK) {
        throw Failure(connection.errorMessage());
    }
    sqlite3_busy_timeout(raw, options.busyTimeoutMs);
    connection.busyTimeoutMs_ = options.busyTimeoutMs;
    // Proves the key: without it (or with a damaged first page) this read fails with
    // "file is encrypted or is not a database". It writes nothing.
    connection.prepare("SELECT count(*) FROM sqlite_master").step();
    if (options.readOnly) {
        return connection;
    }
    if (sqlite3_db_readonly(raw, "main") == 1) {
        throw Failure(QString::fromUtf8(sqlite3_errstr(SQLITE_READONLY)));
    }
    // A rollback journal keeps every committed change in the base file itself, and full
    // synchronisation makes a commit survive a crash of the process or the machine.
    // A base left in WAL mode by another program switches back only when no one else uses
    // it; until then it does not open.
    SqlStatement journal = connection.prepare("PRAGMA journal_mode=DELETE");
    if (!journal.step() || journal.columnText(0).toLower() != "delete") {
        throw Failure(QString::fromUtf8(sqlite3_errstr(SQLITE_BUSY)));
    }
    journal = SqlStatement();
    connection.execute("PRAGMA synchronous=FULL");
    return connection;
}

SqlStatement SqlcipherConnection::prepare(const QByteArray& sql) const {
    return SqlStatement(db_, sql);
}

void SqlcipherConnection::execute(const QByteArray& sql) const {
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql.constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : errorMessage();
        sqlite3_free(error);
        throw DatabaseFailure(message, rc & 0xff);
    }
}

int SqlcipherConnection::changes() const {
    return sqlite3_changes(db_);
}

qint64 SqlcipherConnection::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

QString SqlcipherConnection::errorMessage() const {
    return QString::fromUtf8(sqlite3_errmsg(db_));
}

} // namespace infobase
