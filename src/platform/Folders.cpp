#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace platform {

bool createPrivateFolder(const QString& path) {
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    if (::mkdir(native.constData(), S_IRWXU) == 0) {
        return true;
    }
    return QFileInfo(path).isDir();
}

bool removeFolderTree(const QString& path) {
    QDir folder(path);
    return folder.removeRecursively() && !folder.exists();
}

} // namespace platform
