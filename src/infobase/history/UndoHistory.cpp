#include "infobase/history/UndoHistory.h"

#include "infobase/history/UndoTables.h"
#include "infobase/store/BranchQuery.h"
#include "infobase/store/SharedWriteTransaction.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/wholefile/FileStamp.h"
#include "infobase/wholefile/TreeCommit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace infobase {
namespace {

// The files an earlier build of the history kept beside the tree file, one per step, which a
// killed run may have left: only the names it gave (a step number after ".undo-", and the same
// with ".next"), never a user's file that merely looks alike.
void removeSnapshots(const QString& treeFile) {
    const QFileInfo tree(treeFile);
    QDir folder = tree.absoluteDir();
    const QString prefix = tree.fileName() + QStringLiteral(".undo-");
    const QString swapSuffix = QStringLiteral(".next");
    for (const QString& name : folder.entryList({prefix + QStringLiteral("*")}, QDir::Files)) {
        QStringView step = QStringView(name).mid(prefix.size());
        if (step.endsWith(swapSuffix)) {
            step.chop(swapSuffix.size());
        }
        bool isNumber = false;
        const qint64 number = step.toLongLong(&isNumber);
        if (isNumber && number >= 0) {
            folder.remove(name);
        }
    }
}

std::vector<QByteArray> fingerprintsOf(const SqlcipherConnection& connection,
                                       const std::vector<qint64>& rows) {
    std::vector<QByteArray> prints;
    prints.reserve(rows.size());
    for (const qint64 row : rows) {
        prints.push_back(undo_tables::rowFingerprint(connection, row));
    }
    return prints;
}

QString reasonText(UndoRefusal::Reason reason) {
    switch (reason) {
    case UndoRefusal::RecordChanged:
        return QStringLiteral("the record was changed by another program");
    case UndoRefusal::NameTaken:
        return QStringLiteral("another record has the name");
    case UndoRefusal::TreeChanged:
        return QStringLiteral("the tree file was changed by another program");
    case UndoRefusal::BaseLocked:
        return QStringLiteral("database is locked");
    }
    return {};
}

} // namespace

UndoRefusal::UndoRefusal(Reason reason, QString name)
    : Failure(QStringLiteral("%1: %2").arg(reasonText(reason), name)), reason_(reason),
      name_(std::move(name)) {}

UndoHistory::~UndoHistory() {
    onChange_ = {}; // whoever listens may be going too
    stop();
    if (tree_ != nullptr) {
        tree_->removeRecorder(&treeChanges_);
    }
}

void UndoHistory::start(const SqlcipherConnection& connection, BranchQuery& query,
                        const QString& treeFile) {
    stop();
    connection_ = &connection;
    query_ = &query;
    treeFile_ = treeFile;
    treeFileStamp_ = fileStamp(treeFile);
    query.setRowWatch([this](qint64 rowId, BranchQuery::RowWrite write) {
        if (recording()) {
            makeRoom();
            undo_tables::keepRow(*connection_, recording_, rowId,
                                 write == BranchQuery::RowWrite::Added);
        }
    });
    ready();
    try {
        othersVersion_ = undo_tables::othersVersion(connection);
    } catch (const Failure&) {
        othersVersion_ = -1; // unknown: the first undo looks
    }
}

void UndoHistory::followTree(TTreeNodes& tree, TreeViewState& view) {
    tree_ = &tree;
    view_ = &view;
    tree.addRecorder(&treeChanges_);
    treeFileMatchesView();
}

void UndoHistory::treeFileMatchesView() {
    if (view_ != nullptr) {
        fileView_ = std::make_shared<const TreeViewState>(*view_);
    }
    if (!treeFile_.isEmpty()) {
        treeFileStamp_ = fileStamp(treeFile_);
    }
}

void UndoHistory::treeFileRewritten() {
    if (!treeFile_.isEmpty()) {
        treeFileStamp_ = fileStamp(treeFile_);
    }
}

void UndoHistory::TreeChanges::treeChanged(TreeChange forward, TreeChange inverse) {
    if (history_.recording()) {
        history_.recordedChanges_.emplace_back(std::move(forward), std::move(inverse));
    }
}

void UndoHistory::stop() {
    if (query_ != nullptr) {
        query_->setRowWatch({});
    }
    if (tablesReady_) {
        undo_tables::drop(*connection_);
        removeSnapshots(treeFile_);
    }
    const bool hadSteps = !steps_.empty();
    steps_.clear();
    done_ = 0;
    recording_ = 0;
    tablesReady_ = false;
    connection_ = nullptr;
    query_ = nullptr;
    if (hadSteps) {
        changed();
    }
}

void UndoHistory::changed() const {
    if (onChange_) {
        onChange_();
    }
}

bool UndoHistory::ready() {
    if (!tablesReady_ && connection_ != nullptr) {
        try {
            removeSnapshots(treeFile_);
            undo_tables::recreate(*connection_);
            tablesReady_ = true;
        } catch (const Failure&) {
        }
    }
    return tablesReady_;
}

UndoHistory::Recording UndoHistory::record(UndoCommand command, const QString& name) {
    if (recording_ != 0 || !ready()) {
        return Recording(nullptr);
    }
    recording_ = nextId_++;
    recordingInfo_ = StepInfo{command, name};
    recordedViewBefore_.reset();
    recordedChanges_.clear();
    roomMade_ = false;
    return Recording(this);
}

UndoHistory::Recording::Recording(Recording&& other) noexcept : history_(other.history_) {
    other.history_ = nullptr;
}

UndoHistory::Recording::~Recording() {
    if (history_ != nullptr) {
        history_->finishRecording();
    }
}

void UndoHistory::treeWillChange() {
    if (recording()) {
        if (!recordedViewBefore_) {
            recordedViewBefore_ = fileView_;
        }
        makeRoom();
        undo_tables::keepTree(*connection_, recording_);
    }
}

void UndoHistory::finishRecording() {
    const qint64 id = recording_;
    recording_ = 0;
    // What the base holds decides: a command whose transaction rolled back kept nothing.
    try {
        Step step;
        step.id = id;
        step.info = recordingInfo_;
        step.rows = undo_tables::keptRows(*connection_, id);
        // A tree change whose transaction rolled back was taken back in memory too.
        step.tree = undo_tables::keepsTree(*connection_, id);
        if (step.tree) {
            step.treeChanges = std::move(recordedChanges_);
            step.viewBefore = recordedViewBefore_;
            step.viewAfter = fileView_;
        }
        recordedChanges_.clear();
        if (step.rows.empty() && !step.tree) {
            return;
        }
        step.rowsAsLeft = fingerprintsOf(*connection_, step.rows);
        steps_.resize(done_);
        while (steps_.size() >= kMaxSteps) {
            steps_.pop_front();
        }
        steps_.push_back(std::move(step));
        done_ = steps_.size();
        changed();
    } catch (const Failure&) {
        recordedChanges_.clear();
        undo_tables::forgetSteps(*connection_, {id});
    }
}

std::vector<qint64> UndoHistory::stepsANewStepEnds() const {
    // A new change makes the steps taken back impossible to do again, and the oldest steps
    // make way beyond the limit.
    std::vector<qint64> ids;
    for (std::size_t i = done_; i < steps_.size(); ++i) {
        ids.push_back(steps_[i].id);
    }
    for (std::size_t i = 0; i + kMaxSteps <= done_; ++i) {
        ids.push_back(steps_[i].id);
    }
    return ids;
}

void UndoHistory::makeRoom() {
    // Inside the command's transaction: if the command does not commit, the steps stay, in
    // the base and here alike.
    if (!roomMade_) {
        undo_tables::removeSteps(*connection_, stepsANewStepEnds());
        roomMade_ = true;
    }
}

const UndoHistory::StepInfo* UndoHistory::undoable() const {
    return done_ > 0 ? &steps_[done_ - 1].info : nullptr;
}

const UndoHistory::StepInfo* UndoHistory::redoable() const {
    return done_ < steps_.size() ? &steps_[done_].info : nullptr;
}

UndoHistory::Outcome UndoHistory::undo() {
    if (done_ == 0) {
        return {};
    }
    Outcome outcome = exchange(steps_[done_ - 1], true);
    --done_;
    changed();
    return outcome;
}

UndoHistory::Outcome UndoHistory::redo() {
    if (done_ >= steps_.size()) {
        return {};
    }
    Outcome outcome = exchange(steps_[done_], false);
    ++done_;
    changed();
    return outcome;
}

void UndoHistory::carryTreeChanges(const Step& step, bool back) {
    const auto& changes = step.treeChanges;
    std::size_t done = 0;
    try {
        for (; done < changes.size(); ++done) {
            applyTreeChange(*tree_,
                            back ? changes[changes.size() - 1 - done].second : changes[done].first);
        }
    } catch (...) {
        // The tree goes back to what it was before the first change carried out.
        while (done-- > 0) {
            applyTreeChange(*tree_,
                            back ? changes[changes.size() - 1 - done].first : changes[done].second);
        }
        throw;
    }
}

UndoHistory::Outcome UndoHistory::exchange(Step& step, bool back) {
    const SqlcipherConnection& connection = *connection_;
    const QString& treeFile = treeFile_;
    Outcome outcome;
    if (step.tree) {
        if (tree_ == nullptr || !step.viewBefore || !step.viewAfter ||
            fileStamp(treeFile) != treeFileStamp_) {
            throw UndoRefusal(UndoRefusal::TreeChanged, step.info.name);
        }
    }
    std::vector<QByteArray> rowsNowLeft;
    qint64 version = 0;
    const auto work = [&] {
        // Read inside the write transaction, which no other program can commit beside.
        version = undo_tables::othersVersion(connection);
        const bool othersWrote = version != othersVersion_;
        for (std::size_t i = 0; i < step.rows.size(); ++i) {
            const qint64 row = step.rows[i];
            if (undo_tables::rowFingerprint(connection, row) != step.rowsAsLeft[i]) {
                throw UndoRefusal(UndoRefusal::RecordChanged,
                                  undo_tables::rowName(connection, row).value_or(step.info.name));
            }
            // Only another program can have given the name away: the names are looked for
            // (a scan of the whole table) only when one has written to the base since.
            if (othersWrote) {
                const std::optional<QString> back = undo_tables::keptName(connection, step.id, row);
                if (back && undo_tables::nameTakenByOtherRow(connection, *back, row)) {
                    throw UndoRefusal(UndoRefusal::NameTaken, *back);
                }
            }
        }
        for (const qint64 row : step.rows) {
            undo_tables::swapRow(connection, step.id, row);
        }
        query_->rowsRewritten(step.rows);
        rowsNowLeft = fingerprintsOf(connection, step.rows);
        for (const qint64 row : step.rows) {
            if (const std::optional<QString> name = undo_tables::rowName(connection, row)) {
                outcome.focus = *name;
            }
        }
    };
    try {
        if (step.tree) {
            const std::shared_ptr<const TreeViewState>& fileView =
                back ? step.viewBefore : step.viewAfter;
            carryTreeChanges(step, back);
            const TreeViewState viewNow = *view_;
            *view_ = *fileView;
            try {
                const TreeCommitted committed =
                    treeCommit_ ? treeCommit_(work)
                                : commitTree(connection, *query_, treeFile,
                                             treeFileBytes(*fileView, *tree_), work);
                if (!committed.placed) {
                    outcome.notice = committed.notice;
                }
            } catch (...) {
                *view_ = viewNow;
                carryTreeChanges(step, !back);
                throw;
            }
            *view_ = *fileView;
            fileView_ = fileView;
            outcome.treeChanged = true;
            treeFileStamp_ = fileStamp(treeFile);
        } else {
            inSharedWriteTransaction(connection, *query_, work);
        }
    } catch (const DatabaseFailure& failure) {
        if (failure.code() == SQLITE_BUSY) {
            throw UndoRefusal(UndoRefusal::BaseLocked, step.info.name);
        }
        throw;
    }
    othersVersion_ = version;
    step.rowsAsLeft = std::move(rowsNowLeft);
    if (outcome.focus.isEmpty()) {
        outcome.focus = step.info.name;
    }
    return outcome;
}

} // namespace infobase
