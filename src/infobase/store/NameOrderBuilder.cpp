#include "infobase/store/NameOrderBuilder.h"

#include "infobase/store/NameIndex.h"

#include <algorithm>

namespace infobase {

namespace {

// Rows per batch: small enough that the last one is sorted at once.
constexpr std::size_t kBatchRows = 1 << 16;

} // namespace

NameOrderBuilder::NameOrderBuilder(RecordNames& names)
    : names_(names), thread_([this] { run(); }) {}

NameOrderBuilder::~NameOrderBuilder() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        done_ = true;
        waiting_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

void NameOrderBuilder::add(qint64 rowId, QStringView name) {
    filling_.rowIds.push_back(rowId);
    filling_.units.insert(filling_.units.end(), name.utf16(), name.utf16() + name.size());
    filling_.ends.push_back(std::uint32_t(filling_.units.size()));
    if (filling_.rowIds.size() == kBatchRows) {
        handOver();
    }
}

void NameOrderBuilder::handOver() {
    {
        std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(filling_));
    }
    filling_ = Batch();
    changed_.notify_all();
}

void NameOrderBuilder::finish(std::vector<RecordNames::Slot>& byKey,
                              std::vector<RecordNames::Slot>& byName) {
    handOver();
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    changed_.notify_all();
    // The thread takes in what is still waiting, then ends.
    thread_.join();
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    mergeRuns(true);
    byKey = std::move(byKey_);
    byName = std::move(byName_);
}

void NameOrderBuilder::run() {
    for (;;) {
        Batch batch;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return done_ || !waiting_.empty(); });
            if (waiting_.empty()) {
                return;
            }
            batch = std::move(waiting_.front());
            waiting_.pop_front();
        }
        if (!failure_) {
            try {
                takeIn(batch);
            } catch (...) {
                failure_ = std::current_exception();
            }
        }
    }
}

void NameOrderBuilder::takeIn(const Batch& batch) {
    const std::size_t first = byName_.size();
    std::uint32_t start = 0;
    for (std::size_t i = 0; i < batch.rowIds.size(); ++i) {
        const std::uint32_t end = batch.ends[i];
        const RecordNames::Slot slot = names_.add(
            batch.rowIds[i], QStringView(batch.units.data() + start, qsizetype(end - start)));
        byKey_.push_back(slot);
        byName_.push_back(slot);
        start = end;
    }
    sortRun(byKey_, first, KeyOrder{names_});
    sortRun(byName_, first, NameIndex::Order{names_});
    runs_.push_back(first);
    mergeRuns(false);
}

template <typename Order>
void NameOrderBuilder::sortRun(std::vector<RecordNames::Slot>& slots, std::size_t first,
                               Order order) {
    // Rows read in key order need no sorting by key; rows read from the record name index,
    // in the binary order of their names, often none by name (names alike in letter case).
    // The check stops at the first record out of order.
    const auto begin = slots.begin() + std::ptrdiff_t(first);
    if (!std::is_sorted(begin, slots.end(), order)) {
        std::sort(begin, slots.end(), order);
    }
}

template <typename Order>
void NameOrderBuilder::mergeLastRuns(std::vector<RecordNames::Slot>& slots, std::size_t before,
                                     std::size_t last, Order order) {
    const auto middle = slots.begin() + std::ptrdiff_t(last);
    // Runs already in order one after the other stay as they are; so does an empty run.
    if (last > before && middle != slots.end() && order(*middle, *(middle - 1))) {
        std::inplace_merge(slots.begin() + std::ptrdiff_t(before), middle, slots.end(), order);
    }
}

void NameOrderBuilder::mergeRuns(bool all) {
    // Sorted runs stand one after another in byKey_ and in byName_, each shorter than the one
    // before it: merged like the digits of a binary counter, each record is merged about
    // log2(batches) times.
    while (runs_.size() >= 2) {
        const std::size_t last = runs_.back();
        const std::size_t before = runs_[runs_.size() - 2];
        if (!all && byName_.size() - last < last - before) {
            return;
        }
        mergeLastRuns(byKey_, before, last, KeyOrder{names_});
        mergeLastRuns(byName_, before, last, NameIndex::Order{names_});
        runs_.pop_back();
    }
}

} // namespace infobase
