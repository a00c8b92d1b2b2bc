#include "infobase/store/BackupCopies.h"

#include "common/Failure.h"
#include "infobase/store/BaseBackup.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace infobase {
namespace {

// A file descriptor closed with the object.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    // Closes now and says whether the system took every byte written.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void throwWith(const char* what, const QString& path, int error) {
    throw Failure(QStringLiteral("%1 \"%2\". %3")
                      .arg(QLatin1String(what), shown(path), systemErrorText(error)));
}

// Makes the renames in the folder durable. A folder that cannot be synced is no reason to
// report a failure: the copies are complete and in place.
void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool exchange(const QString& first, const QString& second) {
    return ::renameat2(AT_FDCWD, QFile::encodeName(first).constData(), AT_FDCWD,
                       QFile::encodeName(second).constData(), RENAME_EXCHANGE) == 0;
}

bool move(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

BackupCopies::BackupCopies(QString baseFile, const SqlcipherConnection* openBase)
    : baseFile_(std::move(baseFile)), openBase_(openBase) {}

BackupCopies::~BackupCopies() {
    for (const Staged& copy : staged_) {
        if (!copy.keep) {
            ::unlink(QFile::encodeName(copy.temporary).constData());
        }
    }
}

void BackupCopies::add(const QString& source, const QString& destination,
                       const CopyProgress& progress) {
    const QFileInfo target(destination);
    if (target.isDir()) {
        // Swapped with a copy, a folder could never be removed again.
        throwWith("Cannot create file", destination, EISDIR);
    }
    // Hidden, and private to the user until it is complete.
    QByteArray name = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                        target.fileName() + QStringLiteral(".XXXXXX"));
    Descriptor copy(::mkostemp(name.data(), O_CLOEXEC));
    if (copy.get() < 0) {
        throwWith("Cannot create file", destination, errno);
    }
    staged_.push_back({QFile::decodeName(name), destination});

    qint64 sourceRecords = -1;
    if (source == baseFile_) {
        sourceRecords = copyBase(copy.get(), destination, progress);
    } else {
        const Descriptor from(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
        struct stat status {};
        if (from.get() < 0 || ::fstat(from.get(), &status) != 0) {
            throwWith("Cannot open file", source, errno);
        }
        if (S_ISDIR(status.st_mode)) {
            throwWith("Cannot open file", source, EISDIR);
        }
        copyFileData(from.get(), copy.get(), status.st_size, source, destination, progress);
    }
    if (::fsync(copy.get()) != 0 || !copy.close()) {
        throwWith("Cannot write file", destination, errno);
    }

    if (sourceRecords >= 0) {
        const QString& copied = staged_.back().temporary;
        qint64 copiedRecords = -1;
        try {
            const SqlcipherConnection check = SqlcipherConnection::open(
                copied, branch_table::kPassword, {.busyTimeoutMs = 0, .readOnly = true});
            copiedRecords = branchRecordCount(check);
        } catch (const Failure& failure) {
            throw Failure(QStringLiteral("The copy \"%1\" of the base does not open. %2")
                              .arg(shown(destination), failure.message()));
        }
        if (copiedRecords != sourceRecords) {
            throw Failure(
                QStringLiteral("The copy \"%1\" of the base holds %2 records, the base %3.")
                    .arg(shown(destination))
                    .arg(copiedRecords)
                    .arg(sourceRecords));
        }
    }
}

qint64 BackupCopies::copyBase(int target, const QString& targetName,
                              const CopyProgress& progress) const {
    if (openBase_ != nullptr) {
        return copyBaseSnapshot(*openBase_, target, targetName, progress);
    }
    SqlcipherConnection own;
    try {
        own = SqlcipherConnection::open(baseFile_, branch_table::kPassword, {.readOnly = true});
    } catch (const Failure& failure) {
        throw Failure(
            QStringLiteral("Cannot open file \"%1\". %2").arg(shown(baseFile_), failure.message()));
    }
    return copyBaseSnapshot(own, target, targetName, progress);
}

void BackupCopies::replaceEarlier() {
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        Staged& copy = staged_[i];
        // Swapping keeps the earlier file under the temporary name, ready to be put back.
        if (exchange(copy.temporary, copy.destination)) {
            copy.exchanged = copy.hadEarlier = true;
            continue;
        }
        // No earlier file, or a file system that cannot swap: a plain rename.
        if (move(copy.temporary, copy.destination)) {
            copy.exchanged = true;
            continue;
        }
        const int error = errno;
        undo(i);
        throwWith("Cannot create file", copy.destination, error);
    }
    QSet<QString> folders;
    for (const Staged& copy : staged_) {
        folders.insert(QFileInfo(copy.destination).absolutePath());
    }
    for (const QString& folder : folders) {
        syncFolder(folder);
    }
    // The temporary names now hold the earlier copies; the destructor removes them.
}

void BackupCopies::undo(std::size_t count) {
    while (count-- > 0) {
        Staged& copy = staged_[count];
        const bool back = copy.hadEarlier ? exchange(copy.temporary, copy.destination)
                                          : move(copy.destination, copy.temporary);
        // An earlier copy that stays under the temporary name is not removed.
        copy.keep = copy.hadEarlier && !back;
        copy.exchanged = !back;
    }
}

} // namespace infobase
