#include "platform/FileReplace.h"

#include "common/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

// The data reaches the disk before it replaces the old file, so that a crash right after
// the rename cannot leave an empty file under the old name.
bool syncToDisk(QSaveFile& file) {
#if defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true; // QSaveFile::commit syncs where it can
#endif
}

// Makes the rename itself durable. A folder that cannot be synced is no reason to report a
// failure: the new file is complete and in place.
void syncFolder(const QString& folder) {
#if defined(Q_OS_UNIX)
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

} // namespace

void replaceFile(const QString& path, QByteArrayView bytes) {
    const QString shown = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw Failure(
            QStringLiteral("Cannot create file \"%1\". %2").arg(shown, file.errorString()));
    }
    const auto fail = [&](const QString& reason) {
        file.cancelWriting();
        throw Failure(QStringLiteral("Cannot write file \"%1\". %2").arg(shown, reason));
    };
    // The device's buffer is flushed and checked before the commit, because a failure in the
    // commit's own final flush can still be reported as success.
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush()) {
        fail(file.errorString());
    }
    if (!syncToDisk(file)) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!file.commit()) {
        fail(file.errorString());
    }
    syncFolder(QFileInfo(path).absolutePath());
}

} // namespace platform
