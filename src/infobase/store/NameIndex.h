#pragma once

#include "infobase/store/RecordNames.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace infobase {

// The records in name order, for the record lookup: the branch query keeps it in step
// with every post and delete, so a lookup searches the records as they now are. It holds
// slot numbers of the query's RecordNames and reads the names from there.
//
// Name order: names compared with their letter case folded (Unicode simple case folding,
// so Cyrillic as Latin), then, between names equal when folded, by their UTF-16 code units
// (upper case before lower case), then by the hidden key. It is independent of the locale.
class NameIndex {
public:
    using Slot = RecordNames::Slot;
    static constexpr Slot kNone = RecordNames::kNone;

    explicit NameIndex(const RecordNames& names) : names_(names) {}

    // The name order over the records of a RecordNames: whether a comes before b.
    struct Order {
        const RecordNames& names;
        bool operator()(Slot a, Slot b) const;
    };

    void clear();
    // Rebuilds the index over these records at once.
    void build(std::vector<Slot> slots);
    // Takes these records, already in name order (Order), as the whole index.
    void adoptSorted(std::vector<Slot> slots) { entries_ = std::move(slots); }
    void add(Slot slot);
    // Removes the entry of a record; call it before the record's name changes.
    void remove(Slot slot);

    // The first record in name order whose name begins with the value, ignoring letter
    // case; for the empty value, the first record whose name is empty. kNone when none.
    Slot findFirst(QStringView value) const;

    // The record a branch of that name owns: the first record in name order whose name
    // equals the name exactly (letter case counts); failing that, for a name of
    // kMaxBranchNameLength code units (a branch name kept in the tree file is cut there),
    // the one record whose name begins with it exactly, when only one does. kNone when
    // none, or when the cut name could be either of two records.
    Slot findOwn(QStringView name) const;

    // Every record whose name equals the name exactly, in name order.
    std::vector<Slot> everyNamed(QStringView name) const;

    std::size_t size() const { return entries_.size(); }

    // The longest branch name the tree file keeps.
    static constexpr qsizetype kMaxBranchNameLength = 255;

    // The key a name sorts by.
    static QString fold(const QString& name) { return RecordNames::fold(name); }

private:
    // The first entry whose folded name is not before the folded value.
    std::vector<Slot>::const_iterator firstAtOrAfter(QStringView folded) const;

    const RecordNames& names_;
    std::vector<Slot> entries_;
};

} // namespace infobase
