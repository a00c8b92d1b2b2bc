#pragma once

#include "infobase/store/StoredRecord.h"

#include <QString>
#include <vector>

namespace infobase {

// The records in name order, for the record lookup: the branch query keeps it in step
// with every post and delete, so a lookup searches the records as they now are.
//
// Name order: names compared with their letter case folded (Unicode simple case folding,
// so Cyrillic as Latin), then, between names equal when folded, by their UTF-16 code units
// (upper case before lower case), then by the hidden key. It is independent of the locale.
class NameIndex {
public:
    void clear();
    // Rebuilds the index over all records at once.
    void build(const std::vector<const StoredRecord*>& records);
    void add(const StoredRecord* record);
    // Removes the entry of a record; call it before the record's name changes.
    void remove(const StoredRecord* record);

    // The first record in name order whose name begins with the value, ignoring letter
    // case; for the empty value, the first record whose name is empty. nullptr when none.
    const StoredRecord* findFirst(const QString& value) const;

    // The record a branch of that name owns: the first record in name order whose name
    // equals the name exactly (letter case counts); failing that, for a name of
    // kMaxBranchNameLength code units (a branch name kept in the tree file is cut there),
    // the one record whose name begins with it exactly, when only one does. nullptr when
    // none, or when the cut name could be either of two records.
    const StoredRecord* findOwn(const QString& name) const;

    std::size_t size() const { return entries_.size(); }

    // The longest branch name the tree file keeps.
    static constexpr qsizetype kMaxBranchNameLength = 255;

    // The key a name sorts by.
    static QString fold(const QString& name);

private:
    struct Entry {
        QString folded;
        const StoredRecord* record;
    };
    static bool less(const Entry& a, const Entry& b);
    std::vector<Entry>::const_iterator firstAtOrAfter(const QString& folded) const;
    std::vector<Entry> entries_;
};

} // namespace infobase
