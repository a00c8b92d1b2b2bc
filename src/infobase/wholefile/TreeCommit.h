#pragma once

#include "infobase/tree/TreeChange.h"
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
// one-row side table; commits; and only then renames the new file over the old one. The next
// commit, connect or backup (settlePendingTree) finishes a commit that stopped between the
// base's commit and the rename, and throws away a new file whose transaction never
// committed. A committed new file is never thrown away: while it cannot be put in place, no
// further change of the tree is made.
//
// A small change need not write the whole file: commitTreeChanges keeps the change itself in
// a side table of the base (tree_journal), in the transaction of its record work, on top of the
// file whose digest the base holds; the file is rewritten whole later (TreeFileRewriter) by
// the same protocol, in whose transaction the entries it holds are removed. A whole-file
// commit holds every change made before it, and removes every entry.

// The steps of a commit, in order; a test seam can stop the program after any of them. A commit
// of changes reaches RecordWorkDone, DigestStored (its entry stored) and Committed; a rewrite
// of the file every step but RecordWorkDone.
enum class TreeCommitStep {
    TemporaryWritten = 1, // the new tree file is beside the old one, on the disk
    RecordWorkDone,       // the record's change is written, not committed
    DigestStored,         // the new file's digest is written, not committed
    Committed,            // the base holds both
    Replaced,             // the new file stands under the tree file's name
    FolderSynced,         // the rename is on the disk
};
inline constexpr int kTreeCommitSteps = 6;

// Called after each step of every commit, on the thread that made the step; empty by default.
// For tests only.
void setTreeCommitStepHook(std::function<void(TreeCommitStep)> hook);
void reachedTreeCommitStep(TreeCommitStep step);

// Where a commit writes the new tree file before it replaces the old one.
QString pendingTreeFile(const QString& treeFile);

// The tree file's bytes for that view state and tree.
QByteArray treeFileBytes(const TreeViewState& view, const TTreeNodes& items);
// The same as if the leaf were deleted, the tree in memory left as it is.
QByteArray treeFileBytesWithout(const TreeViewState& view, const TTreeNodes& items,
                                const TTreeNode* leaf);

// Tells the file a commit wrote from any other: its size and a 64-bit fingerprint of its bytes,
// the same on every machine and run. It guards against a leftover of an uncommitted commit,
// not against tampering.
QByteArray treeFileDigest(QByteArrayView bytes);
// The digest of the tree file the base last committed; empty when it holds none.
QByteArray storedTreeFileDigest(const SqlcipherConnection& connection);
// Stores the digest of the tree file as the one the base holds, in a transaction of its own,
// unless the base holds one already.
void storeTreeFileDigestOnce(const SqlcipherConnection& connection, const QByteArray& digest);
// Writes the bytes to the file, replacing it, and puts them on the disk; on failure no file is
// left and Failure is thrown.
void writeFileSynced(const QString& path, const QByteArray& bytes);

// What a commit did: the base holds the change in every case; the tree file may not yet.
struct TreeCommitted {
    bool placed = true; // the new file stands under the tree file's name
    QString notice;     // otherwise, what the user is told (Russian)
};

// Stores the tree file's new bytes together with the record work on the query (a post or a
// delete; may be empty), whole or not at all. A new file an earlier commit left beside the
// tree file is put in place first (settlePendingTree); when it cannot be, nothing is done
// and the failure is thrown. On failure nothing is changed: no record, no tree file, no new
// file left beside it, nothing pending in the query, and its records in memory as before;
// the failure is thrown (Failure). The query's records in memory change only after the base
// committed. Once the base committed the commit counts as done: a rename that fails then is
// returned (placed false), and the new file waits beside the tree file for the next commit,
// connect or backup to put it in place.
//
// A tree file that is a symbolic link is written through: the new file goes beside the
// file the link leads to and replaces that one, so the link stays and leads to the new tree.
TreeCommitted commitTree(const SqlcipherConnection& connection, BranchQuery& query,
                         const QString& treeFile, const QByteArray& bytes,
                         const std::function<void()>& recordWork);

// Refuses (Failure) a change of the tree while its file cannot take it: a tree file that is a
// link leading nowhere or a folder, or a committed new file that cannot be put in place
// (settlePendingTree is tried first) or whose fate the base cannot tell.
void requireTreeFileInPlace(const SqlcipherConnection& connection, const QString& treeFile);

// Keeps the tree's changes, made in memory since the last commit, together with the record
// work, whole or not at all, without writing the tree file: an entry of tree_journal, on top
// of the tree file the base holds the digest of (storedTreeFileDigest must not be empty),
// with the view state the file is to get. On failure nothing is changed and the failure is
// thrown; the query's records in memory change only after the base committed.
void commitTreeChanges(const SqlcipherConnection& connection, BranchQuery& query,
                       const TreeViewState& view, const std::vector<TreeChange>& changes,
                       const std::function<void()>& recordWork);

// A tree file rewritten whole, off the window's thread, from the file the base held and the
// entries on top of it, waiting in pendingTreeFile of the tree file's target.
struct RewrittenTree {
    QByteArray fromDigest; // the digest of the file it was made from
    QByteArray digest;     // its own
    qint64 coveredSeq = 0; // the last entry it holds
};
// What became of it.
struct RewrittenPlacement {
    bool stale = false; // the base moved on meanwhile: the new file was removed, nothing done
    bool placed = true; // otherwise, whether it stands under the tree file's name; if not, the
                        // base holds it and it waits beside the tree file, as after commitTree
    QString reason;     // why it could not be put in place (the system's words)
};
// Puts a rewritten file in place by the same protocol as commitTree: in one transaction, while
// the base still holds the digest it was made from, stores its digest and removes the entries
// it holds; then the rename. Failures before the base committed remove the new file and are
// thrown.
RewrittenPlacement placeRewrittenTree(const SqlcipherConnection& connection,
                                      const QString& treeFile, const RewrittenTree& rewritten);

// What became of a new tree file left beside the tree file.
enum class PendingTree {
    None,    // there was none
    Placed,  // the base committed it, and it now stands under the tree file's name
    Dropped, // the base never committed it, and it is removed
    Stuck,   // the base committed it, but it cannot be put in place: it stays, never dropped
    Unknown, // whether the base committed it cannot be told: it stays
};
struct PendingTreeOutcome {
    PendingTree state = PendingTree::None;
    QString pendingFile; // where the new file is
    QString reason;      // for Stuck and Unknown, why (the system's or the base's words)
};

// Puts a new tree file left beside the tree file in place when the base committed it (its
// digest is the stored one), and removes it otherwise. Never throws.
PendingTreeOutcome settlePendingTree(const SqlcipherConnection& connection,
                                     const QString& treeFile);

// The same before the connect: the base file is opened read-only for the digest, and only
// when a new file waits. A base that cannot be opened leaves the new file as it is (Unknown).
PendingTreeOutcome settlePendingTreeOf(const QString& baseFile, const QString& treeFile);

// The file a write of the tree file goes to: the file itself, or the one a symbolic link
// leads to. Throws Failure for a link that leads nowhere.
QString treeFileTarget(const QString& treeFile);

// What the user is told when a committed tree is not in place yet (Stuck).
QString pendingTreeNotice(const QString& treeFile, const PendingTreeOutcome& outcome);

} // namespace infobase
