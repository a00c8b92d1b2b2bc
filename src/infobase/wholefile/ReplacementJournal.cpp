#include "infobase/wholefile/ReplacementJournal.h"

#include "common/Failure.h"
#include "infobase/wholefile/FileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace infobase {
namespace {

const QString kJournal = QStringLiteral(".backup-journal");
// The journal while it is written; it counts only once renamed to its own name.
const QString kJournalDraft = QStringLiteral(".backup-journal.swap");

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

[[noreturn]] void throwWith(const char* what, const QString& path, int error) {
    throw Failure(
        QStringLiteral("%1 \"%2\". %3")
            .arg(QLatin1String(what), QDir::toNativeSeparators(path), systemErrorText(error)));
}

// Makes the renames in the folder durable. A folder that cannot be synced is no reason to
// report a failure: the files are complete and in place.
void syncFolder(const QString& folder) {
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void syncFolders(const QString& journalFolder, const std::vector<Replacement>& files) {
    QSet<QString> folders{journalFolder};
    for (const Replacement& file : files) {
        folders.insert(QFileInfo(file.destination).absolutePath());
    }
    for (const QString& folder : folders) {
        syncFolder(folder);
    }
}

bool exchange(const QString& first, const QString& second) {
    return ::renameat2(AT_FDCWD, native(first).constData(), AT_FDCWD, native(second).constData(),
                       RENAME_EXCHANGE) == 0;
}

bool move(const QString& from, const QString& to) {
    return std::rename(native(from).constData(), native(to).constData()) == 0;
}

// The identity of the plain file at the path; 0 when there is none.
ino_t identity(const QString& path) {
    struct stat status {};
    return ::lstat(native(path).constData(), &status) == 0 && S_ISREG(status.st_mode)
               ? status.st_ino
               : 0;
}

void removeFile(const QString& path) {
    if (identity(path) != 0) {
        ::unlink(native(path).constData());
    }
}

void writeJournal(const QString& folder, const std::vector<Replacement>& files) {
    QByteArray text;
    for (const Replacement& file : files) {
        text += QByteArray::number(quint64(file.copy)) + '\t' +
                native(QDir(folder).relativeFilePath(file.destination)) + '\n';
    }
    const QString draft = folder + QLatin1Char('/') + kJournalDraft;
    const QString journal = folder + QLatin1Char('/') + kJournal;
    removeFile(draft);
    const int fd = ::open(native(draft).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        throwWith("Cannot create file", journal, errno);
    }
    try {
        writeAllBytes(fd, text.constData(), text.size(), journal);
    } catch (...) {
        ::close(fd);
        removeFile(draft);
        throw;
    }
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !synced) {
        removeFile(draft);
        throwWith("Cannot write file", journal, synced ? errno : error);
    }
    // Every new file is on the disk and named before the journal that points at them.
    syncFolders(folder, files);
    if (!move(draft, journal)) {
        const int renameError = errno;
        removeFile(draft);
        throwWith("Cannot create file", journal, renameError);
    }
    syncFolder(folder);
}

// The files a journal in the folder names; none when it names nothing readable.
std::vector<Replacement> readJournal(const QString& folder) {
    std::vector<Replacement> files;
    QFile journal(folder + QLatin1Char('/') + kJournal);
    if (!journal.open(QIODevice::ReadOnly)) {
        return files;
    }
    for (const QByteArray& line : journal.readAll().split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        bool number = false;
        const quint64 copy = line.left(tab).toULongLong(&number);
        if (tab <= 0 || !number || copy == 0 || tab + 1 == line.size()) {
            continue;
        }
        const QString destination =
            QDir::cleanPath(QDir(folder).filePath(QFile::decodeName(line.mid(tab + 1))));
        files.push_back({temporaryFor(destination), destination, ino_t(copy)});
    }
    return files;
}

void removeJournal(const QString& folder) {
    removeFile(folder + QLatin1Char('/') + kJournal);
    syncFolder(folder);
}

// Puts the earlier files of the first `count` back; says whether every one went back.
bool undo(std::vector<Replacement>& files, std::size_t count) {
    bool all = true;
    while (count-- > 0) {
        Replacement& file = files[count];
        const bool back = file.hadEarlier ? exchange(file.temporary, file.destination)
                                          : move(file.destination, file.temporary);
        file.keep = file.hadEarlier && !back;
        all = all && back;
    }
    return all;
}

void placeAll(const QString& journalFolder, std::vector<Replacement>& files,
              const std::function<void()>& step) {
    for (std::size_t i = 0; i < files.size(); ++i) {
        Replacement& file = files[i];
        if (identity(file.destination) == file.copy) {
            // Put in place before the process was killed.
            file.hadEarlier = identity(file.temporary) != 0;
            continue;
        }
        int error = 0;
        if (identity(file.temporary) != file.copy) {
            error = ENOENT; // the new file is gone: the set cannot be completed
        } else if (QFileInfo(file.destination).isDir()) {
            error = EISDIR; // swapped with a copy, a folder could never be removed again
        } else if (exchange(file.temporary, file.destination)) {
            // Swapping keeps the earlier file under the temporary name, ready to go back.
            file.hadEarlier = true;
        } else if (move(file.temporary, file.destination)) {
            // No earlier file, or a file system that cannot swap.
            file.hadEarlier = false;
        } else {
            error = errno;
        }
        if (error != 0) {
            // When an earlier file cannot go back, the journal stays: the next start then
            // completes the new set rather than leave a mixed one.
            if (undo(files, i)) {
                removeJournal(journalFolder);
            }
            throwWith("Cannot create file", file.destination, error);
        }
        if (step) {
            step();
        }
    }
    syncFolders(journalFolder, files);
    if (step) {
        step();
    }
    removeJournal(journalFolder);
    if (step) {
        step();
    }
}

} // namespace

QString temporaryFor(const QString& destination) {
    const QFileInfo target(destination);
    return target.absolutePath() + QStringLiteral("/.") + target.fileName() +
           QStringLiteral(".swap");
}

void replaceAll(const QString& journalFolder, std::vector<Replacement>& files,
                const std::function<void()>& step) {
    writeJournal(journalFolder, files);
    if (step) {
        step();
    }
    placeAll(journalFolder, files, step);
}

bool replacementPending(const QString& folder) {
    return QFileInfo::exists(folder + QLatin1Char('/') + kJournal);
}

void finishReplacements(const QString& folder, const QStringList& names) {
    if (replacementPending(folder)) {
        std::vector<Replacement> files = readJournal(folder);
        placeAll(folder, files, {});
        // The temporary names now hold the earlier files.
        for (const Replacement& file : files) {
            removeFile(file.temporary);
        }
    }
    // Only the names this program gives its temporaries: a file that merely looks like one
    // (".Quorlent.mdb.backup") may be the user's own.
    removeFile(folder + QLatin1Char('/') + kJournalDraft);
    for (const QString& name : names) {
        removeFile(temporaryFor(folder + QLatin1Char('/') + name));
    }
}

} // namespace infobase
