#include "platform/FolderLock.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
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

} // namespace platform
