#include "infobase/wholefile/ImportPlacement.h"

#include "common/DurableSave.h"
#include "common/Failure.h"
#include "infobase/wholefile/FileCopy.h"

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace infobase {
namespace {

bool fileIdentity(const QString& path, struct stat* status) {
    return ::stat(QFile::encodeName(path).constData(), status) == 0;
}

bool exists(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

[[noreturn]] void throwSystem(const QString& what, const QString& path) {
    throw Failure(QStringLiteral("%1 \"%2\": %3").arg(what, path, systemErrorText(errno)));
}

// Gives the file a second name; EEXIST when the name is taken.
void linkName(const QString& from, const QString& to) {
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        throwSystem(QStringLiteral("Не удалось создать файл"), to);
    }
}

} // namespace

QString importingPath(const QString& basePath) {
    return basePath + QStringLiteral(".importing");
}

bool sameFile(const QString& a, const QString& b) {
    struct stat first {
    }, second{};
    return fileIdentity(a, &first) && fileIdentity(b, &second) && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

QString keptOldName(const QString& oldPath) {
    const QFileInfo old(oldPath);
    const QString stem = old.absolutePath() + u'/' + old.completeBaseName();
    for (int n = 1;; ++n) {
        const QString candidate = stem + QStringLiteral(".windows-jet4") +
                                  (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) +
                                  QStringLiteral(".mdb");
        if (!exists(candidate) || sameFile(candidate, oldPath)) {
            return candidate;
        }
    }
}

QString placeImportedBase(const QString& importedPath, const QString& basePath,
                          const QString& oldPath) {
    const QString folder = QFileInfo(basePath).absolutePath();
    QString kept;
    if (sameFile(basePath, oldPath)) {
        kept = keptOldName(oldPath);
        if (!sameFile(kept, oldPath)) {
            linkName(oldPath, kept);
            syncFolder(folder);
        }
        // One step replaces the old file's name with the new base.
        if (std::rename(QFile::encodeName(importedPath).constData(),
                        QFile::encodeName(basePath).constData()) != 0) {
            throwSystem(QStringLiteral("Не удалось переименовать файл"), importedPath);
        }
    } else {
        // A second name and then the end of the first: the base's name is never taken over.
        linkName(importedPath, basePath);
        ::unlink(QFile::encodeName(importedPath).constData());
    }
    syncFolder(folder);
    return kept;
}

} // namespace infobase
