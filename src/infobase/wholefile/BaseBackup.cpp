#include "infobase/wholefile/BaseBackup.h"

#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QDir>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace infobase {
namespace {

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

// A descriptor that SQLite itself holds open on the base file, to copy from in the kernel.
// It is borrowed, never closed: closing any descriptor of the file would drop the locks
// SQLite holds on it. Any descriptor of the same file serves: the copy reads at explicit
// offsets, and SQLite places the file offset itself before each of its reads and writes.
// SQLite vouches that its own file is still the one under the base's name.
int borrowedDescriptor(const SqlcipherConnection& base) {
    int moved = 1;
    struct stat file {};
    if (sqlite3_file_control(base.handle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK ||
        moved != 0 || ::stat(sqlite3_db_filename(base.handle(), "main"), &file) != 0) {
        return -1;
    }
    DIR* descriptors = ::opendir("/proc/self/fd");
    if (descriptors == nullptr) {
        return -1;
    }
    int found = -1;
    while (const dirent* entry = ::readdir(descriptors)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        struct stat status {};
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(descriptors) ||
            ::fstat(int(fd), &status) != 0) {
            continue;
        }
        if (status.st_dev == file.st_dev && status.st_ino == file.st_ino &&
            (::fcntl(int(fd), F_GETFL) & O_ACCMODE) != O_WRONLY) {
            found = int(fd);
            break;
        }
    }
    ::closedir(descriptors);
    return found;
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
    const int descriptor = borrowedDescriptor(base);
    struct stat status {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0) {
        throw Failure(QStringLiteral("Cannot read file \"%1\". The base is not open.")
                          .arg(baseFileName(base)));
    }
    copyFileData(descriptor, target, status.st_size, baseFileName(base), targetName, progress);
    return records;
}

} // namespace infobase
