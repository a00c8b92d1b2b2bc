// The tree file and the record store commit together: every change of the tree goes through
// commitTreeChange, and the connect finishes a commit that a crash cut short.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/TreeCommit.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QDir>

void TForm_Glavn::commitTreeChange(const QByteArray& newTree,
                                   const std::function<void()>& recordWork) {
    const QString treeFile = infobase::AppPaths{Base}.treeFile();
    const infobase::TreeCommitted committed =
        infobase::commitTree(Store.ADOConnection1, Query_Glav, treeFile, newTree, [&] {
            // The undo keeps the tree's changes themselves; the step's mark goes in the
            // same transaction as the change.
            UndoHistory1.treeWillChange();
            if (recordWork) {
                recordWork();
            }
        });
    UndoHistory1.treeFileMatchesView();
    // The change is in the base and stays; only the tree file waits.
    if (!committed.placed) {
        showMessage(committed.notice);
    }
}

QByteArray TForm_Glavn::treeFileBytes() const {
    return infobase::treeFileBytes(TreeView1State, TreeNodes);
}

void TForm_Glavn::rereadTree(const QString& file) {
    TreeNodes.Clear();
    infobase::readTreeFile(file, TreeView1State, TreeNodes);
    UndoHistory1.treeFileMatchesView();
    TreeNodes.prepareNameCounts();
    applyTreeViewState();
}

void TForm_Glavn::finishTreeCommit() {
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
    }
}

void TForm_Glavn::finishTreeCommitBeforeBackup() {
    const infobase::AppPaths paths{Base};
    infobase::PendingTreeOutcome outcome;
    if (Store.Connected()) {
        outcome = infobase::settlePendingTree(Store.ADOConnection1, paths.treeFile());
    } else {
        outcome = infobase::settlePendingTreeOf(paths.baseFile(), paths.treeFile());
    }
    switch (outcome.state) {
    case infobase::PendingTree::Placed:
        // Before the connect the tree in memory is the one read at start, without the change.
        if (!Store.Connected()) {
            rereadTree(paths.treeFile());
        } else {
            UndoHistory1.treeFileMatchesView(); // the change in memory is now in the file
        }
        return;
    case infobase::PendingTree::Stuck:
    case infobase::PendingTree::Unknown:
        throw Failure(QStringLiteral("Последнее изменение дерева ещё не в файле %1: %2\r"
                                     "Копия не сохранена, прежние копии остались как были.")
                          .arg(QDir::toNativeSeparators(paths.treeFile()), outcome.reason));
    case infobase::PendingTree::None:
    case infobase::PendingTree::Dropped:
        return;
    }
}

infobase::TTreeNode* TForm_Glavn::nodeOf(const QPersistentModelIndex& index) const {
    return index.isValid() ? TreeModel->nodeAt(index) : nullptr;
}
