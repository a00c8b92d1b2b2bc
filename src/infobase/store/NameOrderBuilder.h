#pragma once

#include "infobase/store/RecordNames.h"

#include <QStringView>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace infobase {

// Takes the records of an open, in any order, and builds their RecordNames, their key order
// and their name order (NameIndex::Order) on a thread of its own while the caller goes on
// reading rows: rows go over in batches, each batch is sorted once taken in and merged with
// the runs sorted before it, so that little is left to do once the last row is read. Rows that
// come in key order cost no sorting by key, nor rows that come in name order any by name.
class NameOrderBuilder {
public:
    explicit NameOrderBuilder(RecordNames& names);
    // Stops the thread; what was built is dropped unless finish() took it.
    ~NameOrderBuilder();
    NameOrderBuilder(const NameOrderBuilder&) = delete;
    NameOrderBuilder& operator=(const NameOrderBuilder&) = delete;

    // The next record; the name is copied. Every key is taken once.
    void add(qint64 rowId, QStringView name);
    // Waits for every record to be taken in: their slots in key order and in name order.
    // A failure of the thread (no memory, names too long to hold) is thrown here.
    void finish(std::vector<RecordNames::Slot>& byKey, std::vector<RecordNames::Slot>& byName);

private:
    struct Batch {
        std::vector<qint64> rowIds;
        std::vector<std::uint32_t> ends; // where each name ends in units
        std::vector<char16_t> units;
    };
    void handOver();
    void run();
    void takeIn(const Batch& batch);
    // Merges the last runs while the last is as long as the one before it; all of them when
    // asked.
    void mergeRuns(bool all);
    // Sorts the run from `first` to the end.
    template <typename Order>
    static void sortRun(std::vector<RecordNames::Slot>& slots, std::size_t first, Order order);
    // Merges the run from `last` to the end into the run before it, from `before`.
    template <typename Order>
    static void mergeLastRuns(std::vector<RecordNames::Slot>& slots, std::size_t before,
                              std::size_t last, Order order);

    struct KeyOrder {
        const RecordNames& names;
        bool operator()(RecordNames::Slot a, RecordNames::Slot b) const {
            return names.rowId(a) < names.rowId(b);
        }
    };

    RecordNames& names_;
    Batch filling_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> waiting_;
    bool done_ = false;
    std::exception_ptr failure_;
    std::vector<RecordNames::Slot> byKey_;
    std::vector<RecordNames::Slot> byName_;
    std::vector<std::size_t> runs_; // where each sorted run of byKey_ and of byName_ begins
    std::thread thread_;
};

} // namespace infobase
