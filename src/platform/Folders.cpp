#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

PrivateFolder createPrivateFolder(const QString& path) {
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    if (::mkdir(native.constData(), S_IRWXU) == 0) {
        return PrivateFolder::Ready;
    }
    if (errno != EEXIST) {
        return PrivateFolder::NotCreated;
    }
    // The entry itself, not what a link points to.
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0) {
        return PrivateFolder::NotCreated;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        return PrivateFolder::NotOwn;
    }
    if ((info.st_mode & 07777) != S_IRWXU && ::chmod(native.constData(), S_IRWXU) != 0) {
        return PrivateFolder::NotOwn;
    }
    return PrivateFolder::Ready;
}

bool removeFolderTree(const QString& path) {
    // A link in the folder's place is not the folder: what it points to is not removed.
    if (QFileInfo(QDir::cleanPath(path)).isSymLink()) {
        return false;
    }
    QDir folder(path);
    return folder.removeRecursively() && !folder.exists();
}

} // namespace platform
