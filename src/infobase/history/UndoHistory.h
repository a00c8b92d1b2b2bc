#pragma once

#include "common/Failure.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace infobase {

class BranchQuery;
class SqlcipherConnection;
struct TreeViewState;

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
// (undo_tables), inside the command's own transaction; the tree file the command replaces is
// kept in a file beside it, the step's mark in the same transaction. A command that changed
// nothing leaves no step. Memory holds only each step's caption and fingerprints, never a
// kept text, attachment or tree.
//
// Undo and redo are the same exchange: the record rows and the tree file are swapped with
// what the step keeps, in one transaction of the base together with the tree file (the
// two-file commit), so that the step then keeps what they held. Before the exchange the
// rows and the tree file must still be as the step left them; otherwise the exchange is
// refused (UndoRefusal) and nothing changes.
class UndoHistory {
public:
    // Steps beyond this many are forgotten, the oldest first.
    static constexpr std::size_t kMaxSteps = 100;

    struct StepInfo {
        UndoCommand command;
        QString name; // the branch the command acted on
    };

    // What an undo or redo did: the tree file's new bytes when it replaced the tree, and the
    // branch to show afterwards.
    struct Outcome {
        std::optional<QByteArray> tree;
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

    // Inside the two-file commit's transaction, before the tree file is replaced: keeps the
    // tree file's bytes as they are now (`current`) for the step being recorded, and notes the
    // new ones.
    void treeWillChange(const QByteArray& current, const QByteArray& next);
    // Whether a step is being recorded (and the tree file's bytes are wanted).
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
        // What the rows and the tree file hold while the step is on this side.
        std::vector<QByteArray> rowsAsLeft;
        QByteArray treeAsLeft;
    };

    bool ready();
    void finishRecording();
    Outcome exchange(Step& step);
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
    QByteArray recordedTree_;
    bool roomMade_ = false;
    std::function<void()> onChange_;
};

// The tree file's bytes as the files hold them: the file's content, or for a missing file the
// bytes of an empty tree with that view state, which is what the program shows then.
QByteArray committedTreeBytes(const QString& treeFile, const TreeViewState& view);

} // namespace infobase
