#include "infobase/AppPaths.h"

#include <QDir>
#include <QFileInfo>

namespace infobase {

namespace {

// The folder a path really lies in: symbolic links on the way, and a link at its end, followed.
QString realFolderOf(const QString& path) {
    const QFileInfo file(path);
    const QString real = file.canonicalFilePath();
    return QFileInfo(real.isEmpty() ? file.absoluteFilePath() : real).absolutePath();
}

} // namespace

QStringList AppPaths::lockedFolders() const {
    QStringList folders{base};
    const QString data = QFileInfo(dataFolder()).canonicalFilePath();
    folders << (data.isEmpty() ? dataFolder() : data);
    for (const QString& file : {treeFile(), baseFile()}) {
        const QString folder = realFolderOf(file);
        if (!folders.contains(folder)) {
            folders << folder;
        }
    }
    return folders;
}

AppPaths AppPaths::fromCurrentDirectory() {
    return AppPaths{QDir::currentPath()};
}

} // namespace infobase
