#pragma once

#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeViewState.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace infobase {

class BranchQuery;
class SqlcipherConnection;

// The tree file and the base change together: a change of the tree and the record work that
// belongs to it are wholly in both files or wholly in neither, whenever the program stops.
//
// A commit writes the new tree file beside the old one (pendingTreeFile), synced; then, in
// one transaction of the base, does the record work and stores the new file's digest in a
// one-row side table; commits; and only then renames the new file over the old one. At the
// next connect, reconcileTreeFile finishes a commit that stopped between the base's commit
// and the rename, and throws away a new file whose transaction never committed.

// The steps of a commit, in order; a test seam can stop the program after any of them.
enum class TreeCommitStep {
    TemporaryWritten = 1, // the new tree file is beside the old one, on the disk
    RecordWorkDone,       // the record's change is written, not committed
    DigestStored,         // the new file's digest is written, not committed
    Committed,            // the base holds both
    Replaced,             // the new file stands under the tree file's name
    FolderSynced,         // the rename is on the disk
};
inline constexpr int kTreeCommitSteps = 6;

// Called after each step of every commit; empty by default. For tests only.
void setTreeCommitStepHook(std::function<void(TreeCommitStep)> hook);

// Where a commit writes the new tree file before it replaces the old one.
QString pendingTreeFile(const QString& treeFile);

// The tree file's bytes for that view state and tree.
QByteArray treeFileBytes(const TreeViewState& view, const TTreeNodes& items);
// The same as if the leaf were deleted, the tree in memory left as it is.
QByteArray treeFileBytesWithout(const TreeViewState& view, const TTreeNodes& items,
                                const TTreeNode* leaf);

// Stores the tree file's new bytes together with the record work on the query (a post or a
// delete; may be empty), whole or not at all. On failure nothing is changed: no record, no
// tree file, no new file left beside it, nothing pending in the query, and its records in
// memory as before; the failure is thrown (Failure). The query's records in memory change
// only after the base committed. Once the base committed the commit counts as done: a
// rename that fails then is finished by the next connect.
void commitTree(const SqlcipherConnection& connection, BranchQuery& query, const QString& treeFile,
                const QByteArray& bytes, const std::function<void()>& recordWork);

// At the connect: a new tree file left beside the tree file is put in place when the base
// committed it (its digest is the stored one), and deleted otherwise. True when the tree
// file was replaced and must be read again. Never throws: when the stored digest cannot be
// read, the files are left as they are.
bool reconcileTreeFile(const SqlcipherConnection& connection, const QString& treeFile);

} // namespace infobase
