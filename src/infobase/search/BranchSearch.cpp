#include "infobase/search/BranchSearch.h"

#include "common/Failure.h"
#include "infobase/search/FindBranches.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/TreeOrder.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QAbstractEventDispatcher>
#include <QThread>
#include <QTimer>

namespace infobase::search {

namespace {

// How often a watching search looks at the base while the program has nothing else to do,
// for changes another program makes.
constexpr int kHeartbeatMs = 1000;

} // namespace

BranchSearch::BranchSearch(const TTreeNodes& tree, const SqlcipherConnection& store,
                           QString baseFile, QObject* parent)
    : QObject(parent), tree_(tree), store_(store), baseFile_(std::move(baseFile)),
      heartbeat_(new QTimer(this)) {
    heartbeat_->setInterval(kHeartbeatMs);
    connect(heartbeat_, &QTimer::timeout, this, &BranchSearch::checkBase);
    startReading();
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

void BranchSearch::treeChanged() {
    order_.reset();
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
    if (reader_) {
        return; // the reading's end looks again
    }
    BaseStamp now;
    try {
        now = stampOf(store_);
    } catch (const Failure&) {
        return; // the base is busy or gone: the next look tries again
    }
    if (records_ && now == recordsStamp_) {
        return;
    }
    if (!failure_.isEmpty() && now == readingStamp_) {
        return; // it could not be read as it is: try again once it changes or on a new query
    }
    drop();
    startReading();
}

void BranchSearch::setWatching(bool watching) {
    watching_ = watching;
    disconnect(idleWatch_);
    heartbeat_->stop();
    if (watching) {
        idleWatch_ =
            connect(QAbstractEventDispatcher::instance(thread()),
                    &QAbstractEventDispatcher::aboutToBlock, this, &BranchSearch::checkBase);
        heartbeat_->start();
        refresh();
    }
}

void BranchSearch::startReading() {
    try {
        readingStamp_ = stampOf(store_);
    } catch (const Failure& failure) {
        finishReading(nullptr, failure.message());
        return;
    }
    reader_ = QThread::create([this, file = baseFile_] {
        std::shared_ptr<const RecordCorpus> records;
        QString failure;
        try {
            SqlcipherConnection::Options options;
            options.readOnly = true;
            const SqlcipherConnection connection =
                SqlcipherConnection::open(file, branch_table::kPassword, options);
            records = RecordCorpus::read(connection);
        } catch (const Failure& error) {
            failure = error.message();
        } catch (const std::exception& error) {
            failure = QString::fromLocal8Bit(error.what()); // out of memory, at most
        }
        // Delivered on this object's thread; dropped if the object is gone by then.
        QMetaObject::invokeMethod(
            this, [this, records, failure] { finishReading(records, failure); },
            Qt::QueuedConnection);
    });
    reader_->start();
}

void BranchSearch::finishReading(std::shared_ptr<const RecordCorpus> records, QString failure) {
    if (reader_) {
        reader_->wait();
        delete reader_;
        reader_ = nullptr;
    }
    failure_ = std::move(failure);
    records_ = std::move(records); // none after a failure: older ones would be out of date
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
    checkBase();
    if (records_ && !reader_) {
        run();
    }
}

void BranchSearch::run() {
    if (!order_) {
        order_ = std::make_unique<TreeOrder>(tree_, *records_);
    }
    hits_ = findBranches(*order_, *records_, query_, scope_ ? scope_() : nullptr);
    ready_ = true;
    Q_EMIT resultsChanged();
}

void BranchSearch::drop() {
    const bool had = ready_ || !hits_.empty();
    hits_.clear();
    ready_ = false;
    if (had) {
        Q_EMIT resultsChanged();
    }
}

} // namespace infobase::search
