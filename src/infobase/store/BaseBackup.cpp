#include "infobase/store/BaseBackup.h"

#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QDir>
#include <algorithm>
#include <vector>

namespace infobase {
namespace {

constexpr qint64 kReadBytes = qint64(256) << 10;

// A read transaction for as long as the object lives: from the first read on, the
// connection holds a shared lock on the base that no other process can write through.
class ReadTransaction {
public:
    explicit ReadTransaction(const SqlcipherConnection& base) : base_(base) {
        if (sqlite3_get_autocommit(base.handle()) == 0) {
            throw Failure(QStringLiteral("The base cannot be copied in the middle of a change."));
        }
        base.execute("BEGIN");
    }
    ~ReadTransaction() {
        // A transaction that only read ends without writing anything.
        sqlite3_exec(base_.handle(), "COMMIT", nullptr, nullptr, nullptr);
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    const SqlcipherConnection& base_;
};

sqlite3_file* baseFileHandle(const SqlcipherConnection& base) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(base.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) !=
            SQLITE_OK ||
        file == nullptr || file->pMethods == nullptr) {
        throw Failure(QStringLiteral("The base file is not open."));
    }
    return file;
}

QString baseFileName(const SqlcipherConnection& base) {
    return QDir::toNativeSeparators(QString::fromUtf8(sqlite3_db_filename(base.handle(), "main")));
}

} // namespace

qint64 branchRecordCount(const SqlcipherConnection& base) {
    SqlStatement count =
        base.prepare(QByteArray("SELECT count(*) FROM ") + branch_table::kRecordTable);
    count.step();
    return count.columnInt64(0);
}

qint64 copyBaseSnapshot(const SqlcipherConnection& base, int target, const QString& targetName,
                        const CopyProgress& progress) {
    ReadTransaction transaction(base);
    // The first read of the transaction takes the shared lock (rolling back first what a
    // writer that died half way left behind), so the count and the bytes are one state.
    const qint64 records = branchRecordCount(base);
    sqlite3_file* file = baseFileHandle(base);
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK) {
        throw Failure(QStringLiteral("Cannot read file \"%1\".").arg(baseFileName(base)));
    }
    std::vector<char> buffer(static_cast<std::size_t>(kReadBytes));
    progress(0, size);
    qint64 copied = 0;
    while (copied < size) {
        const qint64 pieceEnd = std::min<qint64>(size, copied + kCopyPieceBytes);
        while (copied < pieceEnd) {
            const int n = int(std::min(kReadBytes, pieceEnd - copied));
            const int rc = file->pMethods->xRead(file, buffer.data(), n, copied);
            if (rc == SQLITE_IOERR_SHORT_READ) {
                throwSourceShrank(baseFileName(base));
            }
            if (rc != SQLITE_OK) {
                throw Failure(QStringLiteral("Cannot read file \"%1\". %2")
                                  .arg(baseFileName(base), QString::fromUtf8(sqlite3_errstr(rc))));
            }
            writeAllBytes(target, buffer.data(), n, targetName);
            copied += n;
        }
        progress(copied, size);
    }
    return records;
}

} // namespace infobase
