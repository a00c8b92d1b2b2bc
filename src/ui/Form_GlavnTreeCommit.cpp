// The tree file and the record store commit together: every change of the tree goes through
// commitTreeChange, and the connect finishes a commit that a crash cut short.
#include "infobase/AppPaths.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/TreeCommit.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

void TForm_Glavn::commitTreeChange(const QByteArray& newTree,
                                   const std::function<void()>& recordWork) {
    const QString treeFile = infobase::AppPaths{Base}.treeFile();
    // The tree file as it was is kept for the undo, in the same transaction as the change.
    const QByteArray before = UndoHistory1.recording()
                                  ? infobase::committedTreeBytes(treeFile, TreeView1State)
                                  : QByteArray();
    infobase::commitTree(Store.ADOConnection1, Query_Glav, treeFile, newTree, [&] {
        UndoHistory1.treeWillChange(before, newTree);
        if (recordWork) {
            recordWork();
        }
    });
}

QByteArray TForm_Glavn::treeFileBytes() const {
    return infobase::treeFileBytes(TreeView1State, TreeNodes);
}

void TForm_Glavn::finishTreeCommit() {
    const QString treeFile = infobase::AppPaths{Base}.treeFile();
    if (!infobase::reconcileTreeFile(Store.ADOConnection1, treeFile)) {
        return;
    }
    // The file read at start was the one before the last change; the committed one is
    // read in its place.
    TreeNodes.Clear();
    infobase::readTreeFile(treeFile, TreeView1State, TreeNodes);
    applyTreeViewState();
}

infobase::TTreeNode* TForm_Glavn::nodeOf(const QPersistentModelIndex& index) const {
    return index.isValid() ? TreeModel->nodeAt(index) : nullptr;
}
