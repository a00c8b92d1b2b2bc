#include "infobase/search/BranchSearch.h"

#include "common/Failure.h"
#include "infobase/search/FindBranches.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/search/TreeOrder.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QAbstractEventDispatcher>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <numeric>

namespace infobase::search {

namespace {

// How often a watching search looks at the base while the program has nothing else to do,
// for changes another program makes.
constexpr int kHeartbeatMs = 1000;

// More changed records than this are read again all together, off the window's thread.
constexpr int kMostRowsUpdated = 2000;

// The reading's own connection: one that can write, so that it can give the base its change
// log; a base that can only be read is read without one.
SqlcipherConnection openForReading(const QString& file) {
    try {
        return SqlcipherConnection::open(file, branch_table::kPassword, {});
    } catch (const Failure&) {
        SqlcipherConnection::Options options;
        options.readOnly = true;
        return SqlcipherConnection::open(file, branch_table::kPassword, options);
    }
}

} // namespace

BranchSearch::BranchSearch(const TTreeNodes& tree, const SqlcipherConnection& store,
                           QString baseFile, QObject* parent)
    : QObject(parent), tree_(tree), store_(store), baseFile_(std::move(baseFile)),
      heartbeat_(new QTimer(this)) {
    heartbeat_->setInterval(kHeartbeatMs);
    connect(heartbeat_, &QTimer::timeout, this, &BranchSearch::checkBase);
}

BranchSearch::~BranchSearch() {
    if (reader_) {
        reader_->wait();
        delete reader_;
    }
}

void BranchSearch::setQuery(const QString& text) {
    query_ = text;
    failure_.clear();
    refresh();
}

void BranchSearch::setScope(std::function<const TTreeNode*()> scope) {
    scope_ = std::move(scope);
    refresh();
}

bool BranchSearch::followable() const {
    return ready_ && hitsExtendable_ && order_ && records_ && !reader_ && !hitsScope_;
}

void BranchSearch::lookAgainAt(const std::vector<int>& places) {
    if (!places.empty()) {
        results_.redo(places, findBranchesAmong(*order_, *records_, query_, places));
    }
    Q_EMIT resultsChanged();
}

void BranchSearch::branchGoing(const TTreeNode* root) {
    if (!order_) {
        followTree();
        return;
    }
    const auto [begin, end] = order_->removeBranch(root);
    if (!followable()) {
        followTree();
        return;
    }
    results_.cut(begin, end);
    Q_EMIT resultsChanged();
}

void BranchSearch::branchMoving(const TTreeNode* root) {
    movingBranch_ = nullptr;
    if (!order_) {
        followTree();
        return;
    }
    movingBranch_ = root;
    movingPlaces_ = order_->subtree(root);
}

void BranchSearch::branchCame(const TTreeNode* root) {
    if (!order_) {
        followTree();
        return;
    }
    const auto [begin, end] = order_->insertBranch(root, *records_);
    if (!followable()) {
        followTree();
        return;
    }
    results_.open(begin, end - begin, {});
    std::vector<int> places(std::size_t(end - begin));
    std::iota(places.begin(), places.end(), begin);
    lookAgainAt(places);
}

void BranchSearch::branchMoved(const TTreeNode* root) {
    const bool moving =
        order_ && movingBranch_ == root && movingPlaces_.first < movingPlaces_.second;
    movingBranch_ = nullptr;
    if (!moving) {
        treeChanged();
        return;
    }
    const auto [begin, end] = movingPlaces_;
    const auto [newBegin, newEnd] = order_->moveBranch(root, begin, end);
    if (!followable()) {
        followTree();
        return;
    }
    // The same branches with the same names and records: their results come along.
    const FoundBranches moved = results_.cut(begin, end);
    results_.open(newBegin, newEnd - newBegin, moved);
    Q_EMIT resultsChanged();
}

void BranchSearch::branchRenamed(const TTreeNode* node) {
    if (!order_) {
        followTree();
        return;
    }
    const int place = order_->renameBranch(node, *records_);
    if (!followable()) {
        followTree();
        return;
    }
    lookAgainAt(place < order_->size() ? std::vector<int>{place} : std::vector<int>{});
}

void BranchSearch::treeChanged() {
    order_.reset();
    followTree();
}

void BranchSearch::followTree() {
    movingBranch_ = nullptr;
    drop();
    if (watching_ && !runQueued_) {
        runQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            runQueued_ = false;
            refresh();
        });
    }
}

void BranchSearch::checkBase() {
    if (!watching_) {
        return; // nothing is kept, and nothing read, while no one looks
    }
    if (bringUpToDate() && records_ && !reader_) {
        run();
    }
}

bool BranchSearch::bringUpToDate() {
    if (reader_) {
        return false; // the reading's end looks again
    }
    BaseStamp now;
    try {
        now = stampOf(store_);
    } catch (const Failure&) {
        return false; // the base is busy or gone: the next look tries again
    }
    if (records_ && now == recordsStamp_) {
        return false;
    }
    if (!failure_.isEmpty() && now == readingStamp_) {
        return false; // it could not be read as it is: try again once it changes or on a new query
    }
    if (records_ && logPosition_) {
        if (!sqlite3_get_autocommit(store_.handle())) {
            return false; // a command is under way: its end is looked at
        }
        if (const RowUpdate update = updateRows(now); update != RowUpdate::ReadAgain) {
            return update == RowUpdate::Changed; // the query runs again
        }
    }
    freeRecords();
    startReading();
    return false;
}

BranchSearch::RowUpdate BranchSearch::updateRows(const BaseStamp& now) {
    std::optional<std::vector<change_log::ChangedRow>> changes;
    try {
        changes = change_log::changesSince(store_, *logPosition_, kMostRowsUpdated);
    } catch (const Failure&) {
        return RowUpdate::Unchanged; // the base is busy: the next look tries again
    }
    if (!changes) {
        return RowUpdate::ReadAgain;
    }
    recordsStamp_ = now;
    if (changes->empty()) {
        return RowUpdate::Unchanged; // the tree file's digest, the undo's images: not records
    }
    // The slots whose records changed, and the names of records that came, went or were
    // renamed: their branches' own records.
    std::vector<int> slots;
    std::vector<QString> owners;
    for (const change_log::ChangedRow& row : *changes) {
        const QString before = records_->nameOf(row.rowId);
        if (const int slot = records_->slotOf(row.rowId); slot >= 0) {
            slots.push_back(slot);
        }
        if (row.present ? records_->put(row.rowId, row.name, row.description, row.text)
                        : records_->remove(row.rowId)) {
            if (!before.isNull()) {
                owners.push_back(before);
            }
            if (row.present) {
                owners.push_back(row.name);
            }
        }
        if (const int slot = records_->slotOf(row.rowId); slot >= 0) {
            slots.push_back(slot);
        }
    }
    rowsRead_ += qint64(changes->size());
    if (!order_) {
        hitsExtendable_ = false;
        return RowUpdate::Changed;
    }
    std::vector<int> places = order_->reown(owners, *records_);
    if (!followable()) {
        hitsExtendable_ = false;
        return RowUpdate::Changed;
    }
    const std::vector<int> owning = order_->placesOwning(slots, records_->slotCount());
    places.insert(places.end(), owning.begin(), owning.end());
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    lookAgainAt(places);
    return RowUpdate::Followed;
}

void BranchSearch::setWatching(bool watching) {
    watching_ = watching;
    disconnect(idleWatch_);
    heartbeat_->stop();
    if (watching) {
        discardReading_ = false;
        idleWatch_ =
            connect(QAbstractEventDispatcher::instance(thread()),
                    &QAbstractEventDispatcher::aboutToBlock, this, &BranchSearch::checkBase);
        heartbeat_->start();
        refresh();
    } else {
        freeRecords();
        discardReading_ = reader_ != nullptr;
    }
}

std::size_t BranchSearch::memoryBytes() const {
    return (records_ ? records_->memoryBytes() : 0) + (order_ ? order_->memoryBytes() : 0);
}

void BranchSearch::startReading() {
    try {
        readingStamp_ = stampOf(store_);
    } catch (const Failure& failure) {
        finishReading(nullptr, std::nullopt, failure.message());
        return;
    }
    reader_ = QThread::create([this, file = baseFile_] {
        std::shared_ptr<RecordCorpus> records;
        std::optional<change_log::Position> position;
        QString failure;
        try {
            const SqlcipherConnection connection = openForReading(file);
            change_log::ensure(connection);
            // The log's position and the records of one moment.
            connection.execute("BEGIN");
            position = change_log::position(connection);
            records = RecordCorpus::read(connection);
            connection.execute("COMMIT");
        } catch (const Failure& error) {
            records.reset();
            failure = error.message();
        } catch (const std::exception& error) {
            records.reset();
            failure = QString::fromLocal8Bit(error.what()); // out of memory, at most
        }
        // Delivered on this object's thread; dropped if the object is gone by then.
        QMetaObject::invokeMethod(
            this, [this, records, position, failure] { finishReading(records, position, failure); },
            Qt::QueuedConnection);
    });
    reader_->start();
}

void BranchSearch::finishReading(std::shared_ptr<RecordCorpus> records,
                                 std::optional<change_log::Position> position, QString failure) {
    if (reader_) {
        reader_->wait();
        delete reader_;
        reader_ = nullptr;
    }
    if (discardReading_) {
        discardReading_ = false;
        return; // the window closed meanwhile: the records go with this copy of them
    }
    failure_ = std::move(failure);
    records_ = std::move(records); // none after a failure: older ones would be out of date
    logPosition_ = records_ ? position : std::nullopt;
    rowsRead_ += records_ ? records_->size() : 0;
    recordsStamp_ = readingStamp_;
    order_.reset();
    // The base may have changed again while it was read.
    refresh();
    if (!records_ && !failure_.isEmpty()) {
        Q_EMIT resultsChanged();
    }
}

void BranchSearch::refresh() {
    // A command may have changed the tree and the base together: never run over records
    // older than the base.
    bringUpToDate();
    if (records_ && !reader_) {
        run();
    }
}

void BranchSearch::run() {
    if (!order_) {
        order_ = std::make_unique<TreeOrder>(tree_, *records_);
        hitsExtendable_ = false;
    }
    const TTreeNode* scope = scope_ ? scope_() : nullptr;
    const QByteArray folded = foldedQuery(query_);
    // What the query holds stands in every branch that holds the query: only the previous
    // results can hold it.
    // (Among most of the tree, one look at everything is quicker than one at each result.)
    const bool among = hitsExtendable_ && scope == hitsScope_ && !hitsQuery_.isEmpty() &&
                       folded.contains(hitsQuery_) &&
                       results_.hits().size() < std::size_t(order_->size()) / 4;
    results_.assign(
        among ? findBranchesAmong(*order_, *records_, query_, results_.places())
              : findBranchesWithPlaces(*order_, *records_, query_, scope, results_.take()));
    hitsQuery_ = folded;
    hitsScope_ = scope;
    hitsExtendable_ = true;
    ready_ = true;
    Q_EMIT resultsChanged();
}

void BranchSearch::drop() {
    const bool had = ready_ || !results_.hits().empty();
    results_.clear();
    hitsExtendable_ = false;
    ready_ = false;
    if (had) {
        Q_EMIT resultsChanged();
    }
}

void BranchSearch::freeRecords() {
    drop();
    records_.reset();
    order_.reset();
    logPosition_.reset();
    // Everything the results' vectors keep goes too.
    results_ = HitList();
}

} // namespace infobase::search
