#include "infobase/history/UndoHistory.h"

#include "infobase/history/UndoTables.h"
#include "infobase/store/BranchQuery.h"
#include "infobase/store/SharedWriteTransaction.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/wholefile/TreeCommit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace infobase {
namespace {

// Tells the tree file the history left from any other within the run.
QByteArray treeFingerprint(const QByteArray& bytes) {
    return QByteArray::number(bytes.size()) + ':' +
           QByteArray::number(qHashBits(bytes.constData(), size_t(bytes.size()), 0));
}

QByteArray treeFileContent(const QString& treeFile) {
    QFile file(treeFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw Failure(
            QStringLiteral("Cannot read file \"%1\". %2").arg(treeFile, file.errorString()));
    }
    return bytes;
}

// The file beside the tree file that holds its bytes on the other side of a step. Written
// without waiting for the disk: it serves this run only, and the next start removes it.
QString snapshotFile(const QString& treeFile, qint64 step) {
    return treeFile + QStringLiteral(".undo-") + QString::number(step);
}

void writeSnapshot(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        const QString error = file.errorString();
        file.close();
        QFile::remove(path);
        throw Failure(QStringLiteral("Cannot create file \"%1\". %2").arg(path, error));
    }
}

QByteArray readSnapshot(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Failure(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw Failure(QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString()));
    }
    return bytes;
}

// Every step's file beside the tree file, of this run or one before: only names the
// history gives (a step number after ".undo-", and the same with ".next" while a step's tree
// is being swapped), never a user's file that merely looks alike.
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

QByteArray committedTreeBytes(const QString& treeFile, const TreeViewState& view) {
    if (!QFile::exists(treeFile)) {
        return treeFileBytes(view, TTreeNodes{});
    }
    return treeFileContent(treeFile);
}

UndoHistory::~UndoHistory() {
    onChange_ = {}; // whoever listens may be going too
    stop();
}

void UndoHistory::start(const SqlcipherConnection& connection, BranchQuery& query,
                        const QString& treeFile) {
    stop();
    connection_ = &connection;
    query_ = &query;
    treeFile_ = treeFile;
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
    recordedTree_.clear();
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

void UndoHistory::treeWillChange(const QByteArray& current, const QByteArray& next) {
    if (recording()) {
        makeRoom();
        const QString snapshot = snapshotFile(treeFile_, recording_);
        if (!QFile::exists(snapshot)) {
            writeSnapshot(snapshot, current);
        }
        undo_tables::keepTree(*connection_, recording_);
        recordedTree_ = treeFingerprint(next);
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
        step.tree = undo_tables::keepsTree(*connection_, id);
        if (!step.tree) {
            QFile::remove(snapshotFile(treeFile_, id)); // written for a change that rolled back
        }
        if (step.rows.empty() && !step.tree) {
            return;
        }
        step.rowsAsLeft = fingerprintsOf(*connection_, step.rows);
        step.treeAsLeft = recordedTree_;
        // What makeRoom removed from the base, in the same transaction, goes from here too.
        for (const qint64 ended : stepsANewStepEnds()) {
            QFile::remove(snapshotFile(treeFile_, ended));
        }
        steps_.resize(done_);
        while (steps_.size() >= kMaxSteps) {
            steps_.pop_front();
        }
        steps_.push_back(std::move(step));
        done_ = steps_.size();
        changed();
    } catch (const Failure&) {
        undo_tables::forgetSteps(*connection_, {id});
        QFile::remove(snapshotFile(treeFile_, id));
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
    Outcome outcome = exchange(steps_[done_ - 1]);
    --done_;
    changed();
    return outcome;
}

UndoHistory::Outcome UndoHistory::redo() {
    if (done_ >= steps_.size()) {
        return {};
    }
    Outcome outcome = exchange(steps_[done_]);
    ++done_;
    changed();
    return outcome;
}

UndoHistory::Outcome UndoHistory::exchange(Step& step) {
    const SqlcipherConnection& connection = *connection_;
    const QString& treeFile = treeFile_;
    Outcome outcome;
    const QString snapshot = snapshotFile(treeFile, step.id);
    const QString nextSnapshot = snapshot + QStringLiteral(".next");
    if (step.tree) {
        const QByteArray current = treeFileContent(treeFile);
        if (treeFingerprint(current) != step.treeAsLeft) {
            throw UndoRefusal(UndoRefusal::TreeChanged, step.info.name);
        }
        outcome.tree = readSnapshot(snapshot);
        // The tree file as it is now becomes the step's other side once the exchange commits.
        writeSnapshot(nextSnapshot, current);
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
            const TreeCommitted committed =
                commitTree(connection, *query_, treeFile, *outcome.tree, work);
            if (!committed.placed) {
                outcome.notice = committed.notice;
            }
            step.treeAsLeft = treeFingerprint(*outcome.tree);
        } else {
            inSharedWriteTransaction(connection, *query_, work);
        }
    } catch (const DatabaseFailure& failure) {
        QFile::remove(nextSnapshot);
        if (failure.code() == SQLITE_BUSY) {
            throw UndoRefusal(UndoRefusal::BaseLocked, step.info.name);
        }
        throw;
    } catch (...) {
        QFile::remove(nextSnapshot);
        throw;
    }
    if (step.tree) {
        QFile::remove(snapshot);
        QFile::rename(nextSnapshot, snapshot);
    }
    othersVersion_ = version;
    step.rowsAsLeft = std::move(rowsNowLeft);
    if (outcome.focus.isEmpty()) {
        outcome.focus = step.info.name;
    }
    return outcome;
}

} // namespace infobase
