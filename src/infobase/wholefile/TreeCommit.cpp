#include "infobase/wholefile/TreeCommit.h"

#include "common/DurableSave.h"
#include "common/Failure.h"
#include "infobase/store/BranchQuery.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SharedWriteTransaction.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeStream.h"
#include "infobase/wholefile/FileCopy.h"
#include "infobase/wholefile/TreeJournal.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace infobase {
namespace {

std::function<void(TreeCommitStep)>& stepHook() {
    static std::function<void(TreeCommitStep)> hook;
    return hook;
}

void reached(TreeCommitStep step) {
    reachedTreeCommitStep(step);
}

// The side table of the base that holds the digest of the tree file last committed.
constexpr const char* kCreateDigestTable =
    "CREATE TABLE IF NOT EXISTS TreeFileDigest (id INTEGER PRIMARY KEY CHECK (id = 1), "
    "digest TEXT NOT NULL)";

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void storeDigest(const SqlcipherConnection& connection, const QByteArray& digest) {
    connection.execute(kCreateDigestTable);
    SqlStatement store =
        connection.prepare("INSERT OR REPLACE INTO TreeFileDigest (id, digest) VALUES (1, ?)");
    store.bindText(1, digest);
    store.step();
}

// Renames the new file over the old one in one step.
bool replaceWith(const QString& from, const QString& to) {
#if defined(Q_OS_UNIX)
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#else
    QFile::remove(to);
    return QFile::rename(from, to);
#endif
}

} // namespace

void setTreeCommitStepHook(std::function<void(TreeCommitStep)> hook) {
    stepHook() = std::move(hook);
}

void reachedTreeCommitStep(TreeCommitStep step) {
    if (stepHook()) {
        stepHook()(step);
    }
}

// The digest is no cryptographic hash: that of a large tree would cost a change several times
// the time it takes to write the file.
QByteArray treeFileDigest(QByteArrayView bytes) {
    constexpr quint64 kMultiplier = 0x9E3779B97F4A7C15ull;
    quint64 hash = quint64(bytes.size()) * kMultiplier;
    const char* data = bytes.data();
    const qsizetype words = bytes.size() / 8;
    for (qsizetype i = 0; i < words; ++i) {
        quint64 word;
        std::memcpy(&word, data + i * 8, 8);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
    }
    for (qsizetype i = words * 8; i < bytes.size(); ++i) {
        hash = (hash ^ quint8(data[i])) * kMultiplier;
        hash ^= hash >> 29;
    }
    return QByteArray::number(bytes.size()) + ':' + QByteArray::number(hash, 16);
}

QByteArray storedTreeFileDigest(const SqlcipherConnection& connection) {
    SqlStatement hasTable = connection.prepare(
        "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'TreeFileDigest'");
    if (!hasTable.step()) {
        return {};
    }
    SqlStatement select = connection.prepare("SELECT digest FROM TreeFileDigest WHERE id = 1");
    return select.step() ? select.columnText(0) : QByteArray();
}

void storeTreeFileDigestOnce(const SqlcipherConnection& connection, const QByteArray& digest) {
    inWriteTransaction(connection, [&] {
        if (storedTreeFileDigest(connection).isEmpty()) {
            storeDigest(connection, digest);
        }
    });
}

void writeFileSynced(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw Failure(
            QStringLiteral("Cannot create file \"%1\". %2").arg(shown(path), file.errorString()));
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush() &&
#if defined(Q_OS_UNIX)
                         ::fsync(file.handle()) == 0;
#else
                         true;
#endif
    file.close();
    if (!written) {
        QFile::remove(path);
        throw Failure(QStringLiteral("Stream write error"));
    }
}

// One fixed name beside the tree file, where the next commit, connect or backup looks for it.
QString pendingTreeFile(const QString& treeFile) {
    return treeFile + QStringLiteral(".pending");
}

QByteArray treeFileBytes(const TreeViewState& view, const TTreeNodes& items) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteComponent(buffer, view, items);
    return bytes;
}

QByteArray treeFileBytesWithout(const TreeViewState& view, const TTreeNodes& items,
                                const TTreeNode* leaf) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteComponentWithout(buffer, view, items, leaf);
    return bytes;
}

QString treeFileTarget(const QString& treeFile) {
    const QFileInfo file(treeFile);
    if (!file.isSymLink()) {
        return treeFile;
    }
    const QString target = file.canonicalFilePath();
    if (target.isEmpty()) {
        throw Failure(QStringLiteral("Файл дерева %1 — ссылка на файл %2, которого нет.\r"
                                     "Дерево не изменено.")
                          .arg(shown(treeFile), shown(file.symLinkTarget())));
    }
    return target;
}

QString pendingTreeNotice(const QString& treeFile, const PendingTreeOutcome& outcome) {
    return QStringLiteral("Изменение сохранено в базе, но файл %1 не удалось заменить: %2\r"
                          "Новое дерево лежит в файле %3 и встанет на место при следующем "
                          "изменении дерева, подключении или копировании данных.")
        .arg(shown(treeFile), outcome.reason, shown(outcome.pendingFile));
}

void requireTreeFileInPlace(const SqlcipherConnection& connection, const QString& treeFile) {
    // Checked before anything is written: once the base has committed, the rename must not
    // be refused.
    const QString target = treeFileTarget(treeFile);
    // The change an earlier commit left beside the tree file is in the base: a new file
    // written over it without it would lose it for good.
    const PendingTreeOutcome earlier = settlePendingTree(connection, treeFile);
    if (earlier.state == PendingTree::Stuck) {
        throw Failure(QStringLiteral("Файл %1 не удаётся заменить: %2\r"
                                     "Прошлое изменение дерева ждёт в файле %3. Пока оно не "
                                     "встанет на место, дерево не меняется.")
                          .arg(shown(treeFile), earlier.reason, shown(earlier.pendingFile)));
    }
    if (earlier.state == PendingTree::Unknown) {
        throw Failure(QStringLiteral("Не удалось узнать из базы, сохранено ли прошлое изменение "
                                     "дерева (файл %1): %2\rДерево не изменено.")
                          .arg(shown(earlier.pendingFile), earlier.reason));
    }
    // No file can be put in place of a folder: refused before the base holds the change.
    if (QFileInfo(target).isDir()) {
        throw Failure(
            QStringLiteral("Cannot create file \"%1\". Is a directory").arg(shown(target)));
    }
}

TreeCommitted commitTree(const SqlcipherConnection& connection, BranchQuery& query,
                         const QString& treeFile, const QByteArray& bytes,
                         const std::function<void()>& recordWork) {
    requireTreeFileInPlace(connection, treeFile);
    const QString target = treeFileTarget(treeFile);
    const QString pending = pendingTreeFile(target);
    writeFileSynced(pending, bytes);
    reached(TreeCommitStep::TemporaryWritten);
    try {
        inSharedWriteTransaction(connection, query, [&] {
            if (recordWork) {
                recordWork();
            }
            reached(TreeCommitStep::RecordWorkDone);
            storeDigest(connection, treeFileDigest(bytes));
            // The new file holds every change made so far.
            tree_journal::removeUpTo(connection, -1);
            reached(TreeCommitStep::DigestStored);
        });
    } catch (...) {
        QFile::remove(pending);
        throw;
    }
    reached(TreeCommitStep::Committed);
    // The base holds the change now; a rename that fails here is finished later, and said.
    if (!replaceWith(pending, target)) {
        const int error = errno;
        const PendingTreeOutcome stuck{PendingTree::Stuck, pending, systemErrorText(error)};
        return {false, pendingTreeNotice(treeFile, stuck)};
    }
    reached(TreeCommitStep::Replaced);
    syncFolder(QFileInfo(target).absolutePath());
    reached(TreeCommitStep::FolderSynced);
    return {};
}

void commitTreeChanges(const SqlcipherConnection& connection, BranchQuery& query,
                       const TreeViewState& view, const std::vector<TreeChange>& changes,
                       const std::function<void()>& recordWork) {
    inSharedWriteTransaction(connection, query, [&] {
        if (recordWork) {
            recordWork();
        }
        reached(TreeCommitStep::RecordWorkDone);
        tree_journal::append(connection, view, changes);
        reached(TreeCommitStep::DigestStored);
    });
    reached(TreeCommitStep::Committed);
}

RewrittenPlacement placeRewrittenTree(const SqlcipherConnection& connection,
                                      const QString& treeFile, const RewrittenTree& rewritten) {
    const QString target = treeFileTarget(treeFile);
    const QString pending = pendingTreeFile(target);
    bool stale = false;
    try {
        // No record changes: a transaction of its own, which the branch query need not join.
        inWriteTransaction(connection, [&] {
            stale = storedTreeFileDigest(connection) != rewritten.fromDigest;
            if (!stale) {
                storeDigest(connection, rewritten.digest);
                tree_journal::removeUpTo(connection, rewritten.coveredSeq);
                reached(TreeCommitStep::DigestStored);
            }
        });
    } catch (...) {
        QFile::remove(pending);
        throw;
    }
    if (stale) {
        QFile::remove(pending);
        return {true, true, {}};
    }
    reached(TreeCommitStep::Committed);
    if (!replaceWith(pending, target)) {
        const int error = errno;
        return {false, false, systemErrorText(error)};
    }
    reached(TreeCommitStep::Replaced);
    syncFolder(QFileInfo(target).absolutePath());
    reached(TreeCommitStep::FolderSynced);
    return {};
}

PendingTreeOutcome settlePendingTree(const SqlcipherConnection& connection,
                                     const QString& treeFile) {
    QString target;
    try {
        target = treeFileTarget(treeFile);
    } catch (const Failure& failure) {
        return {PendingTree::Unknown, pendingTreeFile(treeFile), failure.message()};
    }
    const QString pending = pendingTreeFile(target);
    if (!QFileInfo(pending).isFile()) {
        return {PendingTree::None, pending, {}};
    }
    QByteArray stored;
    try {
        stored = storedTreeFileDigest(connection);
    } catch (const Failure& failure) {
        // Not known whether the base committed it: kept for a later try.
        return {PendingTree::Unknown, pending, failure.message()};
    }
    QFile file(pending);
    if (!file.open(QIODevice::ReadOnly)) {
        return {PendingTree::Unknown, pending, file.errorString()};
    }
    const bool committed = !stored.isEmpty() && treeFileDigest(file.readAll()) == stored;
    file.close();
    if (!committed) {
        QFile::remove(pending);
        return {PendingTree::Dropped, pending, {}};
    }
    if (!replaceWith(pending, target)) {
        const int error = errno;
        return {PendingTree::Stuck, pending, systemErrorText(error)};
    }
    syncFolder(QFileInfo(target).absolutePath());
    return {PendingTree::Placed, pending, {}};
}

PendingTreeOutcome settlePendingTreeOf(const QString& baseFile, const QString& treeFile) {
    try {
        if (!QFileInfo(pendingTreeFile(treeFileTarget(treeFile))).isFile()) {
            return {PendingTree::None, {}, {}};
        }
        const SqlcipherConnection base =
            SqlcipherConnection::open(baseFile, branch_table::kPassword, {.readOnly = true});
        return settlePendingTree(base, treeFile);
    } catch (const Failure& failure) {
        return {PendingTree::Unknown, pendingTreeFile(treeFile), failure.message()};
    }
}

} // namespace infobase
