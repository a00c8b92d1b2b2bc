#include "infobase/store/NameIndex.h"

#include <algorithm>
#include <future>
#include <string_view>

namespace infobase {

namespace {

// Code unit order, as QString::compare with letter case counting gives it.
int compareUnits(QStringView a, QStringView b) {
    return std::u16string_view(a.utf16(), std::size_t(a.size()))
        .compare(std::u16string_view(b.utf16(), std::size_t(b.size())));
}

bool startsWithUnits(QStringView text, QStringView prefix) {
    return text.size() >= prefix.size() && compareUnits(text.first(prefix.size()), prefix) == 0;
}

} // namespace

bool NameIndex::less(Slot a, Slot b) const {
    if (const int byFolded = compareUnits(names_.folded(a), names_.folded(b)); byFolded != 0) {
        return byFolded < 0;
    }
    if (const int byName = compareUnits(names_.name(a), names_.name(b)); byName != 0) {
        return byName < 0;
    }
    return names_.rowId(a) < names_.rowId(b);
}

void NameIndex::clear() {
    entries_ = {};
}

void NameIndex::build(std::vector<Slot> slots, int threads) {
    const auto byName = [this](Slot a, Slot b) { return less(a, b); };
    if (threads < 2 || slots.size() < 4096) {
        std::sort(slots.begin(), slots.end(), byName);
    } else {
        // One half sorted on another thread while this one sorts the other, then merged.
        const auto middle = slots.begin() + std::ptrdiff_t(slots.size() / 2);
        auto firstHalf =
            std::async(std::launch::async, [&] { std::sort(slots.begin(), middle, byName); });
        std::sort(middle, slots.end(), byName);
        firstHalf.get();
        std::inplace_merge(slots.begin(), middle, slots.end(), byName);
    }
    entries_ = std::move(slots);
}

void NameIndex::add(Slot slot) {
    entries_.insert(std::upper_bound(entries_.begin(), entries_.end(), slot,
                                     [this](Slot a, Slot b) { return less(a, b); }),
                    slot);
}

void NameIndex::remove(Slot slot) {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), slot,
                                     [this](Slot a, Slot b) { return less(a, b); });
    if (it != entries_.end() && *it == slot) {
        entries_.erase(it);
    }
}

std::vector<NameIndex::Slot>::const_iterator NameIndex::firstAtOrAfter(QStringView folded) const {
    return std::lower_bound(entries_.begin(), entries_.end(), folded,
                            [this](Slot entry, QStringView key) {
                                return compareUnits(names_.folded(entry), key) < 0;
                            });
}

NameIndex::Slot NameIndex::findOwn(QStringView name) const {
    const QString folded = RecordNames::fold(name);
    // The names equal to it ignoring case stand together, in name order, from here on.
    for (auto it = firstAtOrAfter(folded);
         it != entries_.end() && compareUnits(names_.folded(*it), folded) == 0; ++it) {
        if (compareUnits(names_.name(*it), name) == 0) {
            return *it;
        }
    }
    if (name.size() != kMaxBranchNameLength) {
        return kNone;
    }
    // A cut name: the names that begin with it, ignoring case, stand together too; of them
    // exactly one may begin with it as written.
    Slot only = kNone;
    for (auto it = firstAtOrAfter(folded);
         it != entries_.end() && startsWithUnits(names_.folded(*it), folded); ++it) {
        if (startsWithUnits(names_.name(*it), name)) {
            if (only != kNone) {
                return kNone;
            }
            only = *it;
        }
    }
    return only;
}

std::vector<NameIndex::Slot> NameIndex::everyNamed(QStringView name) const {
    const QString folded = RecordNames::fold(name);
    std::vector<Slot> named;
    for (auto it = firstAtOrAfter(folded);
         it != entries_.end() && compareUnits(names_.folded(*it), folded) == 0; ++it) {
        if (compareUnits(names_.name(*it), name) == 0) {
            named.push_back(*it);
        }
    }
    return named;
}

NameIndex::Slot NameIndex::findFirst(QStringView value) const {
    const QString folded = RecordNames::fold(value);
    // Every name that begins with the value sorts, folded, at or after the value itself and
    // before any name that does not: the first candidate is the first match or none is.
    const auto it = firstAtOrAfter(folded);
    if (it == entries_.end()) {
        return kNone;
    }
    const QStringView candidate = names_.folded(*it);
    const bool matches =
        folded.isEmpty() ? candidate.isEmpty() : startsWithUnits(candidate, folded);
    return matches ? *it : kNone;
}

} // namespace infobase
