#include "infobase/wholefile/BackupCopies.h"

#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/BaseBackup.h"
#include "infobase/wholefile/BaseCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
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

// Damage found in a source: it must not replace the last good copy.
Failure damaged(const QString& source) {
    return Failure(QStringLiteral("Файл %1 повреждён.\r"
                                  "Копия не сохранена, прежние копии остались как были.")
                       .arg(shown(source)));
}

} // namespace

BackupCopies::BackupCopies(QString baseFile, const SqlcipherConnection* openBase, QString treeFile)
    : baseFile_(std::move(baseFile)), openBase_(openBase), treeFile_(std::move(treeFile)) {}

BackupCopies::~BackupCopies() {
    // A journal still there names new copies that the next start puts in place.
    if (!journalFolder_.isEmpty() && replacementPending(journalFolder_)) {
        return;
    }
    for (const Replacement& copy : staged_) {
        if (!copy.keep) {
            ::unlink(QFile::encodeName(copy.temporary).constData());
        }
    }
}

void BackupCopies::add(const QString& source, const QString& destination,
                       const CopyProgress& progress, const CopyProgress& checking) {
    const QFileInfo target(destination);
    if (target.isDir()) {
        // Swapped with a copy, a folder could never be removed again.
        throwWith("Cannot create file", destination, EISDIR);
    }
    const QString folder = target.absolutePath();
    if (staged_.empty()) {
        journalFolder_ = folder;
    }
    finishReplacements(folder, {target.fileName()});
    // Hidden, and private to the user until it is complete.
    const QString temporary = temporaryFor(destination);
    Descriptor copy(::open(QFile::encodeName(temporary).constData(),
                           O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (copy.get() < 0) {
        throwWith("Cannot create file", destination, errno);
    }
    staged_.push_back({temporary, destination});

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
    struct stat written {};
    if (::fsync(copy.get()) != 0 || ::fstat(copy.get(), &written) != 0 || !copy.close()) {
        throwWith("Cannot write file", destination, errno);
    }
    staged_.back().copy = written.st_ino;

    if (!treeFile_.isEmpty() && source == treeFile_) {
        try {
            checkTreeFile(temporary);
        } catch (const Failure&) {
            throw damaged(source);
        }
    }
    if (sourceRecords >= 0) {
        const BaseCheckResult check = checkBaseFile(temporary, checking ? checking : progress);
        if (!check.failure.isEmpty()) {
            throw Failure(QStringLiteral("The copy \"%1\" of the base does not open. %2")
                              .arg(shown(destination), check.failure));
        }
        // The copy is the base byte for byte: a page the cipher refuses, or a broken b-tree,
        // is damage in the base that must not replace the last good copy.
        if (!check.damage.isEmpty()) {
            throw damaged(source);
        }
        if (check.records != sourceRecords) {
            throw Failure(
                QStringLiteral("The copy \"%1\" of the base holds %2 records, the base %3.")
                    .arg(shown(destination))
                    .arg(check.records)
                    .arg(sourceRecords));
        }
    }
    step();
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
    replaceAll(journalFolder_, staged_, [this] { step(); });
    // The temporary names now hold the earlier copies; the destructor removes them.
}

void BackupCopies::step() const {
    if (stepHook_) {
        stepHook_();
    }
}

} // namespace infobase
