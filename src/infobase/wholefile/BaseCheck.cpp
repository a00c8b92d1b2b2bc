#include "infobase/wholefile/BaseCheck.h"

#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/wholefile/BaseBackup.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace infobase {
namespace {

// SQLite checks a whole b-tree inside one step of its program, so its own progress
// callback stays silent for nearly all of the check. The reads of the file are what show
// how far it has come: a file system layer that hands every call to the system's own and
// tells the check in progress how many bytes of the base it read.
//
// The layer also reads the base ahead in large pieces. The cipher keeps SQLite from mapping
// the file into memory, so it reads every page (a kibibyte here) with a system call of its
// own; most pages of a base are the attachments' overflow pages, which lie one after the
// other and are read in that order.

// Where the reads of the check in progress are told; one check at a time, on one thread.
struct ReadProgress {
    const CopyProgress* report = nullptr;
    qint64 size = 0;
    qint64 read = 0;
    qint64 reported = 0;

    void add(qint64 bytes) {
        read += bytes;
        // Told as often as a copy tells its pieces.
        if (read - reported >= kCopyPieceBytes) {
            reported = read;
            (*report)(std::min(read, size), size);
        }
    }
};
thread_local ReadProgress* currentCheck = nullptr;

constexpr int kReadAheadBytes = 1 << 20;

struct CountingFile {
    sqlite3_file base;
    sqlite3_file* real; // the system layer's file, placed right after this one
    char* ahead;        // bytes of the base read ahead (null for other files)
    sqlite3_int64 aheadStart;
    sqlite3_int64 aheadSize; // 0: nothing read ahead
};

CountingFile* countingOf(sqlite3_file* file) {
    return reinterpret_cast<CountingFile*>(file);
}

sqlite3_file* realOf(sqlite3_file* file) {
    return countingOf(file)->real;
}

// Copies the bytes from what was read ahead, reading the next piece when they are not
// there; false when the system's own read must answer (the end of the file, an error).
bool readAhead(CountingFile* file, void* buffer, int amount, sqlite3_int64 offset) {
    if (offset < file->aheadStart || offset + amount > file->aheadStart + file->aheadSize) {
        file->aheadSize = 0;
        sqlite3_int64 size = 0;
        if (file->real->pMethods->xFileSize(file->real, &size) != SQLITE_OK ||
            offset + amount > size) {
            return false;
        }
        const sqlite3_int64 length = std::min<sqlite3_int64>(kReadAheadBytes, size - offset);
        if (file->real->pMethods->xRead(file->real, file->ahead, int(length), offset) !=
            SQLITE_OK) {
            return false;
        }
        file->aheadStart = offset;
        file->aheadSize = length;
    }
    std::memcpy(buffer, file->ahead + (offset - file->aheadStart), std::size_t(amount));
    return true;
}

int countingClose(sqlite3_file* file) {
    sqlite3_free(countingOf(file)->ahead);
    return realOf(file)->pMethods->xClose(realOf(file));
}
int countingRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    CountingFile* counting = countingOf(file);
    if (counting->ahead == nullptr) {
        return realOf(file)->pMethods->xRead(realOf(file), buffer, amount, offset);
    }
    const int rc = readAhead(counting, buffer, amount, offset)
                       ? SQLITE_OK
                       : realOf(file)->pMethods->xRead(realOf(file), buffer, amount, offset);
    if (rc == SQLITE_OK && currentCheck != nullptr) {
        currentCheck->add(amount);
    }
    return rc;
}
int countingWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    countingOf(file)->aheadSize = 0;
    return realOf(file)->pMethods->xWrite(realOf(file), data, amount, offset);
}
int countingTruncate(sqlite3_file* file, sqlite3_int64 size) {
    countingOf(file)->aheadSize = 0;
    return realOf(file)->pMethods->xTruncate(realOf(file), size);
}
int countingSync(sqlite3_file* file, int flags) {
    return realOf(file)->pMethods->xSync(realOf(file), flags);
}
int countingFileSize(sqlite3_file* file, sqlite3_int64* size) {
    return realOf(file)->pMethods->xFileSize(realOf(file), size);
}
int countingLock(sqlite3_file* file, int lock) {
    return realOf(file)->pMethods->xLock(realOf(file), lock);
}
int countingUnlock(sqlite3_file* file, int lock) {
    // Without a lock, another process may change the file: what was read ahead goes.
    countingOf(file)->aheadSize = 0;
    return realOf(file)->pMethods->xUnlock(realOf(file), lock);
}
int countingCheckReservedLock(sqlite3_file* file, int* result) {
    return realOf(file)->pMethods->xCheckReservedLock(realOf(file), result);
}
int countingFileControl(sqlite3_file* file, int op, void* argument) {
    return realOf(file)->pMethods->xFileControl(realOf(file), op, argument);
}
int countingSectorSize(sqlite3_file* file) {
    return realOf(file)->pMethods->xSectorSize(realOf(file));
}
int countingDeviceCharacteristics(sqlite3_file* file) {
    return realOf(file)->pMethods->xDeviceCharacteristics(realOf(file));
}

// Version 1: no shared memory (the base never uses WAL) and no memory mapping, so every
// page comes through xRead.
const sqlite3_io_methods kCountingMethods = {
    1,
    countingClose,
    countingRead,
    countingWrite,
    countingTruncate,
    countingSync,
    countingFileSize,
    countingLock,
    countingUnlock,
    countingCheckReservedLock,
    countingFileControl,
    countingSectorSize,
    countingDeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

sqlite3_vfs* systemLayer() {
    static sqlite3_vfs* const system = sqlite3_vfs_find(nullptr);
    return system;
}

int countingOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    CountingFile* counting = countingOf(file);
    counting->real = reinterpret_cast<sqlite3_file*>(counting + 1);
    counting->ahead = nullptr;
    counting->aheadStart = 0;
    counting->aheadSize = 0;
    sqlite3_vfs* system = systemLayer();
    const int rc = system->xOpen(system, name, counting->real, flags, outFlags);
    file->pMethods = counting->real->pMethods != nullptr ? &kCountingMethods : nullptr;
    if (rc == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) != 0) {
        // Without the memory the base is read page by page, as by the system's own layer.
        counting->ahead = static_cast<char*>(sqlite3_malloc(kReadAheadBytes));
    }
    return rc;
}

const char* countingLayerName() {
    static const char* const name = [] {
        static sqlite3_vfs counting = *systemLayer();
        counting.zName = "quorlent-counting-reads";
        counting.szOsFile = int(sizeof(CountingFile)) + systemLayer()->szOsFile;
        counting.xOpen = countingOpen;
        counting.pNext = nullptr;
        sqlite3_vfs_register(&counting, 0);
        return counting.zName;
    }();
    return name;
}

} // namespace

BaseCheckResult checkBaseFile(const QString& path, const CopyProgress& progress) {
    ReadProgress reads{&progress, QFileInfo(path).size()};
    progress(0, reads.size);
    currentCheck = &reads;
    struct Done {
        ~Done() { currentCheck = nullptr; }
    } done;
    BaseCheckResult result;
    SqlcipherConnection base;
    try {
        base = SqlcipherConnection::open(
            path, branch_table::kPassword,
            {.busyTimeoutMs = 0, .readOnly = true, .vfs = countingLayerName()});
    } catch (const Failure& failure) {
        result.failure = failure.message();
        return result;
    }
    try {
        result.records = branchRecordCount(base);
        // One problem is enough to refuse the file.
        SqlStatement check = base.prepare("PRAGMA integrity_check(1)");
        result.damage = check.step() ? QString::fromUtf8(check.columnText(0))
                                     : QStringLiteral("no result from the integrity check");
        if (result.damage == QLatin1String("ok")) {
            result.damage.clear();
            progress(reads.size, reads.size);
        }
    } catch (const Failure& failure) {
        result.damage = failure.message();
    }
    return result;
}

} // namespace infobase
