#pragma once

#include "common/Failure.h"
#include "infobase/tree/TreeChange.h"
#include "infobase/wholefile/TreeCommit.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace infobase {

class BranchQuery;
class SqlcipherConnection;
struct TreeViewState;
class TTreeNodes;

// The commands whose changes the history takes back, for what its captions say.
enum class UndoCommand {
    AddBranch,
    AddSubBranch,
    Rename,
    Delete,
    Description,
    TextSave,
    Attach,
    Move,
    Sort
};

// An undo or redo that would overwrite what another program changed meanwhile, or bring back
// a branch whose name another record has taken. Nothing was changed.
class UndoRefusal : public Failure {
public:
    enum Reason {
        RecordChanged, // a record row the step would exchange is not as the step left it
        NameTaken,     // another record carries the name of the record it would bring back
        TreeChanged,   // the tree file is not as the step left it
        BaseLocked,    // another program holds the base's write lock
    };
    UndoRefusal(Reason reason, QString name);
    Reason reason() const { return reason_; }
    const QString& name() const { return name_; }

private:
    Reason reason_;
    QString name_;
};

// The history of the changes made to the data files during one run, to take them back and do
// them again.
//
// A step is recorded around a command: while a Recording lives, every record row the branch
// query posts or deletes is kept, as it was before the command, in side tables of the base
// (undo_tables), inside the command's own transaction; the changes the command makes to the
// tree it follows are kept in memory as small changes with their inverses (TreeChange),
// never as a copy of the tree, and the step's mark goes in the same transaction. A command
// that changed nothing leaves no step. Memory holds only each step's caption, fingerprints
// and tree changes, never a kept text, attachment or whole tree.
//
// Undo and redo exchange the record rows with what the step keeps, and carry the tree's
// changes backwards or forwards, in one transaction of the base together with the tree file
// (the two-file commit). Before the exchange the rows must still be as the step left them,
// and the tree file as this program last wrote it (told by its size, times and identity on
// the disk, which any write changes); otherwise the exchange is refused (UndoRefusal) and
// nothing changes.
class UndoHistory {
public:
    // Steps beyond this many are forgotten, the oldest first.
    static constexpr std::size_t kMaxSteps = 100;

    struct StepInfo {
        UndoCommand command;
        QString name; // the branch the command acted on
    };

    // What an undo or redo did: whether it changed the tree (in memory and in the tree file),
    // and the branch to show afterwards.
    struct Outcome {
        bool treeChanged = false;
        QString focus;
        QString notice; // when the tree file could not be put in place yet: what to tell
    };

    UndoHistory() = default;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;
    ~UndoHistory();

    // At the connect: drops what an earlier run left in the side tables and beside the tree
    // file, starts an empty history and watches the query's writes. Never throws: when the
    // side tables cannot be made now, the next recording tries again.
    void start(const SqlcipherConnection& connection, BranchQuery& query, const QString& treeFile);
    // The tree whose changes steps keep, and its view state the tree file is written with;
    // both outlive the history. An undo gives the tree file back the view state it held, as
    // the file held it.
    void followTree(TTreeNodes& tree, TreeViewState& view);
    // How an undo or redo stores the tree's changes it carried out in the followed tree, with
    // the view state set to the one the tree file is to get, together with the record work:
    // whole or not at all, throwing on failure, as commitTree. Unset: the whole tree file is
    // written by commitTree.
    using TreeCommit = std::function<TreeCommitted(const std::function<void()>& recordWork)>;
    void setTreeCommit(TreeCommit commit) { treeCommit_ = std::move(commit); }
    // Told when this program replaced the tree file with one that holds the tree as the
    // history knows it (a rewrite from its changes kept in the base).
    void treeFileRewritten();
    // Told when the tree file was read into the followed tree and view state, and when the
    // two were written to it: the view state is then what the file holds.
    void treeFileMatchesView();
    // Forgets every step, empties the side tables (quietly, as far as the base allows),
    // removes the files beside the tree file and stops watching the query.
    void stop();
    // Told whenever the steps an undo or redo would take change.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    // Records one step while it lives.
    class Recording {
    public:
        Recording(Recording&& other) noexcept;
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;
        ~Recording();

    private:
        friend class UndoHistory;
        explicit Recording(UndoHistory* history) : history_(history) {}
        UndoHistory* history_;
    };
    [[nodiscard]] Recording record(UndoCommand command, const QString& name);

    // Inside the two-file commit's transaction, before the tree file is replaced: marks the
    // step being recorded as one that changes the tree file.
    void treeWillChange();
    // Whether a step is being recorded.
    bool recording() const { return recording_ != 0 && tablesReady_; }

    // The step an undo or a redo would take back or do again; nullptr when there is none.
    const StepInfo* undoable() const;
    const StepInfo* redoable() const;

    // Takes back the last step, or does again the last one taken back. Refused with
    // UndoRefusal, or failing with Failure (a locked base, a full disk), nothing is changed.
    Outcome undo();
    Outcome redo();

private:
    struct Step {
        qint64 id = 0;
        StepInfo info;
        std::vector<qint64> rows;
        bool tree = false;
        // The tree's changes, each with the change that takes it back, in the order made, and
        // the view state the tree file held before and after them.
        std::vector<std::pair<TreeChange, TreeChange>> treeChanges;
        std::shared_ptr<const TreeViewState> viewBefore;
        std::shared_ptr<const TreeViewState> viewAfter;
        // What the rows hold while the step is on this side.
        std::vector<QByteArray> rowsAsLeft;
    };

    // Keeps the followed tree's changes while a step is recorded.
    class TreeChanges : public TreeChangeRecorder {
    public:
        explicit TreeChanges(UndoHistory& history) : history_(history) {}
        void treeChanged(TreeChange forward, TreeChange inverse) override;

    private:
        UndoHistory& history_;
    };

    bool ready();
    void finishRecording();
    Outcome exchange(Step& step, bool back);
    // Carries the step's tree changes out backwards (their inverses) or forwards.
    void carryTreeChanges(const Step& step, bool back);
    // The steps a new step would end, and removing what they keep from the base.
    std::vector<qint64> stepsANewStepEnds() const;
    void makeRoom();
    void changed() const;

    const SqlcipherConnection* connection_ = nullptr;
    BranchQuery* query_ = nullptr;
    QString treeFile_;
    qint64 othersVersion_ = -1; // the base's count of other programs' writes, as last seen
    bool tablesReady_ = false;
    std::deque<Step> steps_;
    std::size_t done_ = 0; // steps_[0, done_) are in the files; the rest were taken back
    qint64 nextId_ = 1;
    qint64 recording_ = 0;
    StepInfo recordingInfo_{};
    std::vector<std::pair<TreeChange, TreeChange>> recordedChanges_;
    std::shared_ptr<const TreeViewState> recordedViewBefore_;
    TTreeNodes* tree_ = nullptr;
    TreeViewState* view_ = nullptr;
    std::shared_ptr<const TreeViewState> fileView_; // what the tree file holds, as last known
    // The tree file's size, times and identity when this program last read or wrote it: a tree
    // step is taken back only while the file is as the program left it.
    QByteArray treeFileStamp_;
    TreeChanges treeChanges_{*this};
    TreeCommit treeCommit_;
    bool roomMade_ = false;
    std::function<void()> onChange_;
};

} // namespace infobase
