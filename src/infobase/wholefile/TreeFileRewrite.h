#pragma once

#include "infobase/wholefile/TreeCommit.h"
#include "infobase/wholefile/TreeJournal.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace infobase {

class SqlcipherConnection;

// What a rewrite of the tree file starts from: the file the base holds the digest of, and the
// entries of tree_journal on top of it.
struct RewriteInput {
    QString target;   // the tree file's target (treeFileTarget)
    QByteArray stamp; // the target's fileStamp when the round started
    QByteArray digest;
    std::vector<tree_journal::Entry> entries;
};

// What came of it.
struct RewriteOutcome {
    enum State {
        Written,     // the new file waits beside the tree file, synced
        FileChanged, // the tree file is not the one the base holds: another program wrote it
        Failed,      // the file could not be read or written (reason)
    };
    State state = Failed;
    QString target;   // as in the input
    QByteArray stamp; // as in the input
    RewrittenTree tree;
    QString reason;
};

// Reads the tree file, carries out the entries on it and writes the result beside it
// (pendingTreeFile), synced. File work only, no base: safe on any thread. Never throws.
RewriteOutcome rewriteTreeFile(const RewriteInput& input);

// What the user is told when the tree file could not be rewritten yet (the changes are safe in
// the base).
QString treeFileNotRewrittenNotice(const QString& treeFile, const QString& reason);

// Before the connect: carries out on the tree file the changes the base keeps (a stopped run's),
// with a connection of its own, after putting a committed new file in place. Returns whether the
// tree file changed. Throws Failure when that cannot be done, the tree file being another than
// the one the base holds included.
bool bringTreeFileUpToDate(const QString& baseFile, const QString& treeFile);

// Keeps the tree file up to date with the entries the commits of changes leave in the base,
// rewriting it whole on a thread of its own and putting it in place on this one, so that a
// change of the tree costs its window a small transaction whatever the size of the tree. A
// round takes every entry that waits when it starts; the entries made meanwhile go in the next
// round, so that a burst of changes costs one or two rewrites, not one each.
class TreeFileRewriter : public QObject {
public:
    TreeFileRewriter(const SqlcipherConnection& connection, QString treeFile);
    ~TreeFileRewriter() override; // waits for a round under way and drops its new file

    // Starts a round unless one is under way (then another follows it).
    void schedule();
    // Brings the tree file up to date now: finishes the round under way and rewrites until no
    // entry waits. Returns false when the tree file is not the one the base holds (then only a
    // commit of the whole tree from memory can bring them together); throws Failure when the
    // file cannot be read, written or put in place.
    bool flush();
    // Waits for a round under way and throws its new file away, before a whole-file commit.
    void cancel();

    // Whether commits of changes may go on: the base holds the digest of a tree file, and the
    // last round did not find the tree file changed by another program. Throws DatabaseFailure.
    bool journalUsable() const;
    // Before a commit of changes: refuses it (Failure) while the tree file cannot take it, as
    // requireTreeFileInPlace; a round under way started from a file in place.
    void requireFileInPlace() const;
    // Told after a whole-file commit: the tree file and the base agree again.
    void fileWrittenWhole() { fileChanged_ = false; }
    // Told when the tree file is found not to be the one the base holds: until a whole-file
    // commit, commits cannot keep changes on top of it.
    void fileChangedByOther() { fileChanged_ = true; }

    // Told on this thread: the tree file was replaced by a round; and what went wrong in one
    // (what the user is told), after which rounds start again only when scheduled.
    void setOnReplaced(std::function<void()> onReplaced) { onReplaced_ = std::move(onReplaced); }
    void setOnProblem(std::function<void(const QString&)> onProblem) {
        onProblem_ = std::move(onProblem);
    }

private:
    // What the next round starts from; nothing when no entry waits, or a committed new file
    // cannot be put in place. Throws Failure.
    std::optional<RewriteInput> nextInput();
    void finishRound(quint64 round);
    // Puts a round's outcome in place; false when the tree file was changed by another program.
    bool place(const RewriteOutcome& outcome);
    void problem(const QString& reason) const;

    const SqlcipherConnection& connection_;
    QString treeFile_;
    std::thread worker_;
    RewriteOutcome outcome_;
    quint64 round_ = 0; // the number of the round under way or last ended
    bool running_ = false;
    bool again_ = false; // scheduled while a round was under way
    bool fileChanged_ = false;
    std::function<void()> onReplaced_;
    std::function<void(const QString&)> onProblem_;
};

} // namespace infobase
