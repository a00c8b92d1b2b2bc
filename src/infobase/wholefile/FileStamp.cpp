#include "infobase/wholefile/FileStamp.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace infobase {

QByteArray fileStamp(const QString& path) {
#if defined(Q_OS_UNIX)
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return {};
    }
    return QByteArray::number(qint64(status.st_size)) + ':' +
           QByteArray::number(qint64(status.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(status.st_mtim.tv_nsec)) + ':' +
           QByteArray::number(qint64(status.st_ctim.tv_sec)) + '.' +
           QByteArray::number(qint64(status.st_ctim.tv_nsec)) + ':' +
           QByteArray::number(quint64(status.st_dev)) + ':' +
           QByteArray::number(quint64(status.st_ino));
#else
    const QFileInfo file(path);
    if (!file.exists()) {
        return {};
    }
    return QByteArray::number(file.size()) + ':' +
           QByteArray::number(file.lastModified().toMSecsSinceEpoch()) + ':' +
           QByteArray::number(file.metadataChangeTime().toMSecsSinceEpoch());
#endif
}

} // namespace infobase
