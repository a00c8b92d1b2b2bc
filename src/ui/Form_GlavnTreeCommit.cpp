// The tree file and the record store commit together: every change of the tree goes through
// commitTreeChange, kept in the base with its record work and written into the tree file off
// the window's thread; the connect finishes a commit that a crash cut short and carries out
// the changes a stopped run kept in the base only.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/FileStamp.h"
#include "infobase/wholefile/TreeCommit.h"
#include "infobase/wholefile/TreeJournal.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QDir>
#include <QFile>

infobase::TreeCommitted TForm_Glavn::storeTreeChanges(const std::function<void()>& recordWork,
                                                      const infobase::TTreeNode* without) {
    const auto work = [&] {
        // The undo keeps the tree's changes themselves; the step's mark goes in the same
        // transaction as the change.
        UndoHistory1.treeWillChange();
        if (recordWork) {
            recordWork();
        }
    };
    if (TreeRewriter && TreeRewriter->journalUsable()) {
        TreeRewriter->requireFileInPlace();
        std::vector<infobase::TreeChange> changes = TreeChangesToCommit.changes();
        if (without != nullptr) {
            changes.push_back(infobase::deleteChange(infobase::positionsOf(without)));
        }
        infobase::commitTreeChanges(Store.ADOConnection1, Query_Glav, TreeView1State, changes,
                                    work);
        TreeChangesToCommit.clear();
        TreeRewriter->schedule();
        return {};
    }
    // The whole file, written here, holds every change: a rewrite under way is not needed.
    if (TreeRewriter) {
        TreeRewriter->cancel();
    }
    const QByteArray bytes =
        without ? infobase::treeFileBytesWithout(TreeView1State, TreeNodes, without)
                : infobase::treeFileBytes(TreeView1State, TreeNodes);
    const infobase::TreeCommitted committed = infobase::commitTree(
        Store.ADOConnection1, Query_Glav, infobase::AppPaths{Base}.treeFile(), bytes, work);
    TreeChangesToCommit.clear();
    if (TreeRewriter) {
        TreeRewriter->fileWrittenWhole();
    }
    return committed;
}

void TForm_Glavn::commitTreeChange(const std::function<void()>& recordWork) {
    const infobase::TreeCommitted committed = storeTreeChanges(recordWork);
    UndoHistory1.treeFileMatchesView();
    // The change is in the base and stays; only the tree file waits.
    if (!committed.placed) {
        showMessage(committed.notice);
    }
}

void TForm_Glavn::commitLeafDeletion(infobase::TTreeNode* leaf,
                                     const std::function<void()>& recordWork) {
    const infobase::TreeCommitted committed = storeTreeChanges(recordWork, leaf);
    TreeNodes.Delete(leaf);
    TreeChangesToCommit.clear(); // the deletion is stored already
    UndoHistory1.treeFileMatchesView();
    if (!committed.placed) {
        showMessage(committed.notice);
    }
}

void TForm_Glavn::writeTreeFileNow() {
    if (TreeRewriter && !TreeRewriter->flush()) {
        // The tree file was changed by another program: the tree in memory is written whole.
        commitTreeChange();
    }
}

void TForm_Glavn::showTreeFileProblem(const QString& text) {
    // Said once, not after every change while the cause stays.
    if (text != lastTreeFileProblem_) {
        lastTreeFileProblem_ = text;
        showMessage(text);
    }
}

void TForm_Glavn::rereadTree(const QString& file) {
    TreeNodes.Clear();
    infobase::readTreeFile(file, TreeView1State, TreeNodes);
    treeFileReadStamp_ = infobase::fileStamp(file);
    TreeChangesToCommit.clear();
    UndoHistory1.treeFileMatchesView();
    TreeNodes.prepareNameCounts();
    applyTreeViewState();
}

QString TForm_Glavn::finishTreeCommit() {
    const QString treeFile = infobase::AppPaths{Base}.treeFile();
    const infobase::PendingTreeOutcome outcome =
        infobase::settlePendingTree(Store.ADOConnection1, treeFile);
    // The file read at start was the one before the last change; the committed one is
    // read in its place.
    if (outcome.state == infobase::PendingTree::Placed) {
        rereadTree(treeFile);
    } else if (outcome.state == infobase::PendingTree::Stuck) {
        rereadTree(outcome.pendingFile);
        showMessage(infobase::pendingTreeNotice(treeFile, outcome));
        return outcome.pendingFile;
    }
    return treeFile;
}

namespace {

QByteArray digestOfFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? infobase::treeFileDigest(file.readAll()) : QByteArray();
}

} // namespace

void TForm_Glavn::adoptTreeFile(const QString& fileRead) {
    // A base that never stored a tree (one from before, or a new one) learns the digest of the
    // file the tree in memory was read from, so that the first change need not write the
    // whole file either; only while the file is still as it was read.
    try {
        if (infobase::storedTreeFileDigest(Store.ADOConnection1).isEmpty() &&
            !treeFileReadStamp_.isEmpty() && infobase::fileStamp(fileRead) == treeFileReadStamp_) {
            infobase::storeTreeFileDigestOnce(Store.ADOConnection1, digestOfFile(fileRead));
        }
    } catch (const Failure&) {
        // A base that cannot be written now: the first change writes the whole file.
    }
}

void TForm_Glavn::startTreeRewriter(const QString& fileRead) {
    const QString treeFile = infobase::AppPaths{Base}.treeFile();
    TreeRewriter = std::make_unique<infobase::TreeFileRewriter>(Store.ADOConnection1, treeFile);
    TreeRewriter->setOnReplaced([this] {
        UndoHistory1.treeFileRewritten();
        lastTreeFileProblem_.clear();
    });
    TreeRewriter->setOnProblem([this](const QString& text) { showTreeFileProblem(text); });

    // Changes a stopped run kept in the base only follow the file the base knows; carried out
    // on another file (one put in its place by hand, say) they would make a wrong tree.
    QString reason;
    try {
        const std::vector<infobase::tree_journal::Entry> entries =
            infobase::tree_journal::entries(Store.ADOConnection1);
        if (entries.empty()) {
            adoptTreeFile(fileRead);
            return;
        }
        if (digestOfFile(fileRead) == infobase::storedTreeFileDigest(Store.ADOConnection1)) {
            infobase::TreeViewState view = TreeView1State;
            for (const infobase::tree_journal::Entry& entry : entries) {
                for (const infobase::TreeChange& change : entry.changes) {
                    infobase::applyTreeChange(TreeNodes, change);
                }
                view = entry.view;
            }
            TreeChangesToCommit.clear(); // kept in the base already
            TreeView1State = view;
            UndoHistory1.treeFileMatchesView();
            applyTreeViewState();
            // A committed file that cannot be put in place is said already.
            if (fileRead == treeFile) {
                TreeRewriter->schedule();
            }
            return;
        }
        reason = QStringLiteral("файл заменён другой программой");
    } catch (const Failure& failure) {
        reason = failure.message();
    }
    // The file as it is wins; what it shows is written whole, and the kept changes go.
    rereadTree(fileRead);
    TreeRewriter->fileChangedByOther();
    showMessage(QStringLiteral("Последние изменения дерева, сохранённые в базе, не применены к "
                               "файлу %1: %2\rДерево показано таким, каким его хранит файл.")
                    .arg(QDir::toNativeSeparators(fileRead), reason));
    commitTreeChange();
}

void TForm_Glavn::finishTreeCommitBeforeBackup() {
    const infobase::AppPaths paths{Base};
    try {
        if (Store.Connected()) {
            writeTreeFileNow();
            return;
        }
        // Before the connect the tree in memory is the one read at start: it is read again
        // when the file changed.
        if (infobase::bringTreeFileUpToDate(paths.baseFile(), paths.treeFile())) {
            rereadTree(paths.treeFile());
        }
    } catch (const Failure& failure) {
        throw Failure(QStringLiteral("Последнее изменение дерева ещё не в файле %1: %2\r"
                                     "Копия не сохранена, прежние копии остались как были.")
                          .arg(QDir::toNativeSeparators(paths.treeFile()), failure.message()));
    }
}

infobase::TTreeNode* TForm_Glavn::nodeOf(const QPersistentModelIndex& index) const {
    return index.isValid() ? TreeModel->nodeAt(index) : nullptr;
}
