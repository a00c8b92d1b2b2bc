#include "infobase/store/NameIndex.h"

#include <algorithm>

namespace infobase {

namespace {

// Code unit order, as QString::compare with letter case counting gives it.
int compareUnits(QStringView a, QStringView b) {
    return FoldedName::compare(FoldedName(a), FoldedName(b));
}

bool startsWithUnits(QStringView text, QStringView prefix) {
    return FoldedName(text).startsWith(FoldedName(prefix));
}

} // namespace

bool NameIndex::Order::operator()(Slot a, Slot b) const {
    if (const int byFolded = FoldedName::compare(names.folded(a), names.folded(b)); byFolded != 0) {
        return byFolded < 0;
    }
    if (const int byName = compareUnits(names.name(a), names.name(b)); byName != 0) {
        return byName < 0;
    }
    return names.rowId(a) < names.rowId(b);
}

void NameIndex::clear() {
    entries_ = {};
}

void NameIndex::build(std::vector<Slot> slots) {
    std::sort(slots.begin(), slots.end(), Order{names_});
    entries_ = std::move(slots);
}

void NameIndex::add(Slot slot) {
    entries_.insert(std::upper_bound(entries_.begin(), entries_.end(), slot, Order{names_}), slot);
}

void NameIndex::remove(Slot slot) {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), slot, Order{names_});
    if (it != entries_.end() && *it == slot) {
        entries_.erase(it);
    }
}

std::vector<NameIndex::Slot>::const_iterator NameIndex::firstAtOrAfter(QStringView folded) const {
    return std::lower_bound(
        entries_.begin(), entries_.end(), folded, [this](Slot entry, QStringView key) {
            return FoldedName::compare(names_.folded(entry), FoldedName(key)) < 0;
        });
}

NameIndex::Slot NameIndex::findOwn(QStringView name) const {
    const QString folded = RecordNames::fold(name);
    // The names equal to it ignoring case stand together, in name order, from here on.
    for (auto it = firstAtOrAfter(folded);
         it != entries_.end() && FoldedName::compare(names_.folded(*it), FoldedName(folded)) == 0;
         ++it) {
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
         it != entries_.end() && names_.folded(*it).startsWith(FoldedName(folded)); ++it) {
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
         it != entries_.end() && FoldedName::compare(names_.folded(*it), FoldedName(folded)) == 0;
         ++it) {
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
    const FoldedName candidate = names_.folded(*it);
    const bool matches =
        folded.isEmpty() ? candidate.size() == 0 : candidate.startsWith(FoldedName(folded));
    return matches ? *it : kNone;
}

} // namespace infobase
