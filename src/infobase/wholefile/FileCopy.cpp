#include "infobase/wholefile/FileCopy.h"

#include "common/Failure.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace infobase {
namespace {

// The buffer of the fallback copy: small enough to stay in the processor's cache.
constexpr qint64 kBufferBytes = qint64(256) << 10;

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool isWriteSideError(int error) {
    return error == ENOSPC || error == EFBIG || error == EDQUOT || error == EROFS;
}

[[noreturn]] void throwCopyError(int error, const QString& sourceName, const QString& targetName) {
    if (isWriteSideError(error)) {
        throw Failure(QStringLiteral("Cannot write file \"%1\". %2")
                          .arg(shown(targetName), systemErrorText(error)));
    }
    throw Failure(QStringLiteral("Cannot read file \"%1\". %2")
                      .arg(shown(sourceName), systemErrorText(error)));
}

bool kernelCopyUnsupported(int error) {
    return error == ENOSYS || error == EXDEV || error == EINVAL || error == EOPNOTSUPP ||
           error == ETXTBSY;
}

class RangeCopier {
public:
    RangeCopier(int source, int target, const QString& sourceName, const QString& targetName)
        : source_(source), target_(target), sourceName_(sourceName), targetName_(targetName) {}

    // Copies [offset, offset + length) of the source to the same place in the target.
    void copy(qint64 offset, qint64 length) {
        while (length > 0) {
            const qint64 n =
                kernelCopy_ ? copyInKernel(offset, length) : copyThroughBuffer(offset, length);
            if (n == 0) {
                throwSourceShrank(sourceName_);
            }
            offset += n;
            length -= n;
        }
    }

private:
    // Bytes copied; 0 at the source's end; -1 after switching to the buffer copy.
    qint64 copyInKernel(qint64 offset, qint64 length) {
        loff_t in = offset;
        loff_t out = offset;
        const ssize_t n = ::copy_file_range(source_, &in, target_, &out, std::size_t(length), 0);
        if (n >= 0) {
            return n;
        }
        if (errno == EINTR) {
            return copyInKernel(offset, length);
        }
        if (!kernelCopyUnsupported(errno)) {
            throwCopyError(errno, sourceName_, targetName_);
        }
        kernelCopy_ = false;
        return copyThroughBuffer(offset, length);
    }

    qint64 copyThroughBuffer(qint64 offset, qint64 length) {
        if (buffer_.empty()) {
            buffer_.resize(std::size_t(kBufferBytes));
        }
        const ssize_t n =
            ::pread(source_, buffer_.data(), std::size_t(std::min(length, kBufferBytes)), offset);
        if (n < 0) {
            if (errno == EINTR) {
                return copyThroughBuffer(offset, length);
            }
            throwCopyError(errno, sourceName_, targetName_);
        }
        qint64 written = 0;
        while (written < n) {
            const ssize_t w = ::pwrite(target_, buffer_.data() + written, std::size_t(n - written),
                                       offset + written);
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                throwCopyError(w < 0 ? errno : ENOSPC, sourceName_, targetName_);
            }
            written += w;
        }
        return n;
    }

    int source_;
    int target_;
    const QString& sourceName_;
    const QString& targetName_;
    bool kernelCopy_ = true;
    std::vector<char> buffer_;
};

// Where the next data at or after `offset` begins: `offset` itself when the system cannot
// tell holes from data, `end` when only a hole follows.
qint64 nextData(int source, qint64 offset, qint64 end) {
    const off_t data = ::lseek(source, offset, SEEK_DATA);
    if (data >= 0) {
        return std::min<qint64>(data, end);
    }
    return errno == ENXIO ? end : offset;
}

qint64 holeAfter(int source, qint64 offset, qint64 end) {
    const off_t hole = ::lseek(source, offset, SEEK_HOLE);
    return hole >= 0 ? std::min<qint64>(hole, end) : end;
}

void requireSize(int source, qint64 size, const QString& sourceName) {
    struct stat status {};
    if (::fstat(source, &status) != 0 || status.st_size < size) {
        throwSourceShrank(sourceName);
    }
}

} // namespace

QString systemErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

void throwSourceShrank(const QString& sourceName) {
    throw Failure(QStringLiteral("The file \"%1\" became shorter while it was copied.")
                      .arg(shown(sourceName)));
}

void writeAllBytes(int target, const char* data, qint64 size, const QString& targetName) {
    while (size > 0) {
        const ssize_t n = ::write(target, data, std::size_t(size));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw Failure(QStringLiteral("Cannot write file \"%1\". %2")
                              .arg(shown(targetName), systemErrorText(n < 0 ? errno : ENOSPC)));
        }
        data += n;
        size -= n;
    }
}

void copyFileData(int source, int target, qint64 size, const QString& sourceName,
                  const QString& targetName, const CopyProgress& progress) {
    RangeCopier copier(source, target, sourceName, targetName);
    progress(0, size);
    qint64 copied = 0;
    while (copied < size) {
        const qint64 data = nextData(source, copied, size);
        if (data > copied) {
            // A hole: nothing to copy, the target's size below leaves it a hole too.
            copied = data;
        } else {
            const qint64 end =
                std::min({size, holeAfter(source, copied, size), copied + kCopyPieceBytes});
            copier.copy(copied, end - copied);
            copied = end;
        }
        progress(copied, size);
    }
    // A source cut short reads as one long hole at its end; its size tells the two apart.
    requireSize(source, size, sourceName);
    if (::ftruncate(target, size) != 0) {
        throwCopyError(errno, sourceName, targetName);
    }
}

} // namespace infobase
