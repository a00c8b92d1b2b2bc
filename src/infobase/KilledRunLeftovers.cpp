#include "infobase/KilledRunLeftovers.h"

#include "common/Failure.h"
#include "infobase/store/ReplacementJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sys/stat.h>
#include <unistd.h>

namespace infobase {
namespace {

void removeSaveTemporaries(const QString& file) {
    const QFileInfo target(file);
    const QRegularExpression temporary(
        QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(target.fileName())));
    const QDir folder = target.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        struct stat status {};
        if (temporary.match(name).hasMatch() && ::lstat(path.constData(), &status) == 0 &&
            S_ISREG(status.st_mode)) {
            ::unlink(path.constData());
        }
    }
}

} // namespace

void clearKilledRunLeftovers(const AppPaths& paths) {
    removeSaveTemporaries(paths.treeFile());
    const QString backups = paths.backupFolder();
    if (QFileInfo(backups).isDir()) {
        try {
            finishReplacements(backups, {QFileInfo(paths.baseFile()).fileName(),
                                         QFileInfo(paths.treeFile()).fileName()});
        } catch (const Failure&) {
        }
    }
}

} // namespace infobase
