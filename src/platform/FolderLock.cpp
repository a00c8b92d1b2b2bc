#include "platform/FolderLock.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FolderLock::FolderLock(const QString& folder) {
    fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    int result = 0;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        state_ = State::Held;
        return;
    }
    state_ = errno == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
    ::close(fd_);
    fd_ = -1;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

FolderLocks::FolderLocks(const QStringList& folders) {
    // Two descriptors of one folder in one process would lock each other out.
    std::vector<std::pair<dev_t, ino_t>> seen;
    for (const QString& folder : folders) {
        struct stat status {};
        if (::stat(QFile::encodeName(folder).constData(), &status) != 0 ||
            !S_ISDIR(status.st_mode)) {
            continue;
        }
        const std::pair<dev_t, ino_t> identity{status.st_dev, status.st_ino};
        if (std::find(seen.begin(), seen.end(), identity) != seen.end()) {
            continue;
        }
        seen.push_back(identity);
        auto lock = std::make_unique<FolderLock>(folder);
        if (lock->state() == FolderLock::State::HeldElsewhere) {
            locks_.clear();
            heldElsewhere_ = folder;
            return;
        }
        if (lock->state() == FolderLock::State::Held) {
            locks_.push_back(std::move(lock));
        }
    }
}

} // namespace platform
