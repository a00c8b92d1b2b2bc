#include "infobase/store/NameIndex.h"

#include <algorithm>

namespace infobase {

QString NameIndex::fold(const QString& name) {
    return name.toCaseFolded();
}

bool NameIndex::less(const Entry& a, const Entry& b) {
    if (const int byFolded = a.folded.compare(b.folded); byFolded != 0) {
        return byFolded < 0;
    }
    if (const int byName = a.record->name.compare(b.record->name); byName != 0) {
        return byName < 0;
    }
    return a.record->rowId < b.record->rowId;
}

void NameIndex::clear() {
    entries_.clear();
}

void NameIndex::build(const std::vector<const StoredRecord*>& records) {
    entries_.clear();
    entries_.reserve(records.size());
    for (const StoredRecord* record : records) {
        entries_.push_back(Entry{fold(record->name), record});
    }
    std::sort(entries_.begin(), entries_.end(), less);
}

void NameIndex::add(const StoredRecord* record) {
    Entry entry{fold(record->name), record};
    entries_.insert(std::upper_bound(entries_.begin(), entries_.end(), entry, less),
                    std::move(entry));
}

void NameIndex::remove(const StoredRecord* record) {
    const Entry probe{fold(record->name), record};
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), probe, less);
    if (it != entries_.end() && it->record == record) {
        entries_.erase(it);
    }
}

std::vector<NameIndex::Entry>::const_iterator
NameIndex::firstAtOrAfter(const QString& folded) const {
    return std::lower_bound(
        entries_.begin(), entries_.end(), folded,
        [](const Entry& entry, const QString& key) { return entry.folded < key; });
}

const StoredRecord* NameIndex::findOwn(const QString& name) const {
    const QString folded = fold(name);
    // The names equal to it ignoring case stand together, in name order, from here on.
    for (auto it = firstAtOrAfter(folded); it != entries_.end() && it->folded == folded; ++it) {
        if (it->record->name == name) {
            return it->record;
        }
    }
    if (name.size() != kMaxBranchNameLength) {
        return nullptr;
    }
    // A cut name: the names that begin with it, ignoring case, stand together too; of them
    // exactly one may begin with it as written.
    const StoredRecord* only = nullptr;
    for (auto it = firstAtOrAfter(folded); it != entries_.end() && it->folded.startsWith(folded);
         ++it) {
        if (it->record->name.startsWith(name)) {
            if (only != nullptr) {
                return nullptr;
            }
            only = it->record;
        }
    }
    return only;
}

const StoredRecord* NameIndex::findFirst(const QString& value) const {
    const QString folded = fold(value);
    // Every name that begins with the value sorts, folded, at or after the value itself and
    // before any name that does not: the first candidate is the first match or none is.
    const auto it = firstAtOrAfter(folded);
    if (it == entries_.end()) {
        return nullptr;
    }
    const bool matches = folded.isEmpty() ? it->folded.isEmpty() : it->folded.startsWith(folded);
    return matches ? it->record : nullptr;
}

} // namespace infobase
