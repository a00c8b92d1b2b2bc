#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#endif

// The two steps that make a file replaced through QSaveFile durable: its data on the disk
// before the rename, and the rename itself.

// Puts the file's data on the disk before it replaces the old file, so that a crash right
// after the rename cannot leave an empty file under the old name.
inline bool syncToDisk(QSaveFile& file) {
#if defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true; // QSaveFile::commit syncs where it can
#endif
}

// Makes the rename itself durable. A folder that cannot be synced is no reason to report a
// failure: the new file is complete and in place.
inline void syncFolder(const QString& folder) {
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
