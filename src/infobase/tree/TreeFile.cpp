#include "infobase/tree/TreeFile.h"

#include "common/DurableSave.h"
#include "common/Failure.h"
#include "infobase/tree/TreeStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace infobase {
namespace {

// How many earlier unreadable copies may stand beside the tree file before keeping gives up.
constexpr int kMaxKeptCopies = 1000;

[[noreturn]] void writeError() {
    throw Failure(QStringLiteral("Stream write error"));
}

} // namespace

void writeTreeFile(const QString& path, const TreeViewState& view, const TTreeNodes& items) {
    QSaveFile file(path);
    // The codec's 4096-byte blocks gather in the device's own buffer, which goes to the file
    // in larger pieces. That buffer is flushed and checked here before the commit, because
    // a failure in the commit's own final flush can still be reported as success.
    if (!file.open(QIODevice::WriteOnly)) {
        throw Failure(QStringLiteral("Cannot create file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    WriteComponent(file, view, items);
    if (!file.flush() || !syncToDisk(file) || !file.commit()) {
        writeError();
    }
    syncFolder(QFileInfo(path).absolutePath());
}

void readTreeFile(const QString& path, TreeViewState& view, TTreeNodes& items) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Failure(QStringLiteral("Cannot open file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    ReadComponent(file, view, items);
}

void checkTreeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Failure(QStringLiteral("Cannot open file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    TreeViewState view;
    TTreeNodes items;
    ReadComponentWhole(file, view, items);
}

TreeFileLoad loadTreeFileAtStartUp(const QString& path, TreeViewState& view, TTreeNodes& items) {
    // A folder of that name is no tree file: the start is a first one, and the folder is
    // left where it is.
    const QFileInfo file(path);
    if (!file.exists() || file.isDir()) {
        return TreeFileLoad::Missing;
    }
    try {
        readTreeFile(path, view, items);
    } catch (const Failure&) {
        keepUnreadableTreeFile(path);
        throw;
    }
    return TreeFileLoad::Loaded;
}

QString keepUnreadableTreeFile(const QString& path) {
    for (int n = 1; n <= kMaxKeptCopies; ++n) {
        const QString kept = path + QStringLiteral(".unreadable") +
                             (n == 1 ? QString() : QStringLiteral("-%1").arg(n));
        if (QFileInfo::exists(kept)) {
            continue;
        }
        // QFile::rename never replaces an existing file; a copy that appeared in between
        // makes it fail, and the next name is tried. Any other failure is final.
        if (QFile::rename(path, kept)) {
            return kept;
        }
        if (!QFileInfo::exists(path) || !QFileInfo::exists(kept)) {
            return {};
        }
    }
    return {};
}

} // namespace infobase
