#include "infobase/store/RecordNames.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

namespace infobase {

namespace {

// The folded form of every UTF-16 code unit that is not a surrogate (a surrogate stands for
// itself here; a pair is folded as the code point it makes).
const std::array<char16_t, 0x10000>& unitFolds() {
    static const auto table = [] {
        auto folds = std::make_unique<std::array<char16_t, 0x10000>>();
        for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
            (*folds)[unit] =
                QChar::isSurrogate(unit) ? char16_t(unit) : QChar::toCaseFolded(char16_t(unit));
        }
        return folds;
    }();
    return *table;
}

} // namespace

const char16_t* const RecordNames::unitFolds_ = unitFolds().data();

char16_t FoldedName::at(qsizetype i) const {
    const char16_t unit = units_.utf16()[i];
    return foldOnRead_ ? RecordNames::foldUnit(unit) : unit;
}

QString FoldedName::toString() const {
    QString folded(size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < size(); ++i) {
        folded[i] = QChar(at(i));
    }
    return folded;
}

int FoldedName::compare(const FoldedName& a, const FoldedName& b) {
    const char16_t* left = a.units_.utf16();
    const char16_t* right = b.units_.utf16();
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype i = 0;
    if (a.foldOnRead_ == b.foldOnRead_) {
        // Equal units fold equally: names often share long beginnings, passed over four code
        // units at a time.
        for (; i + 4 <= common; i += 4) {
            std::uint64_t leftWord, rightWord;
            std::memcpy(&leftWord, left + i, sizeof leftWord);
            std::memcpy(&rightWord, right + i, sizeof rightWord);
            if (leftWord != rightWord) {
                break;
            }
        }
    }
    for (; i < common; ++i) {
        const char16_t x = a.at(i), y = b.at(i);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool FoldedName::startsWith(const FoldedName& prefix) const {
    return size() >= prefix.size() &&
           compare(FoldedName(units_.first(prefix.size()), foldOnRead_), prefix) == 0;
}

bool RecordNames::foldInto(QStringView name, char16_t* out) {
    const auto& folds = unitFolds();
    const char16_t* in = name.utf16();
    const qsizetype size = name.size();
    bool changed = false;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = in[i];
        if (!QChar::isSurrogate(unit)) {
            out[i] = folds[unit];
            changed |= out[i] != unit;
            continue;
        }
        if (!QChar::isHighSurrogate(unit) || i + 1 == size || !QChar::isLowSurrogate(in[i + 1])) {
            // A surrogate out of its pair (never in a name read from the base): Qt's own
            // folding decides what becomes of it, replacing some with U+FFFD.
            const QString folded = name.toString().toCaseFolded();
            std::copy_n(folded.utf16(), size, out);
            return folded != name;
        }
        // Simple case folding maps a supplementary code point to another one (if any).
        const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(unit, in[i + 1]));
        out[i] = QChar::highSurrogate(folded);
        out[i + 1] = QChar::lowSurrogate(folded);
        changed |= out[i] != unit || out[i + 1] != in[i + 1];
        ++i;
    }
    return changed;
}

QString RecordNames::fold(QStringView name) {
    QString folded(name.size(), Qt::Uninitialized);
    foldInto(name, reinterpret_cast<char16_t*>(folded.data()));
    return folded;
}

void RecordNames::reserve(std::size_t records, std::size_t units) {
    slots_.reserve(records);
    units_.reserve(units);
}

void RecordNames::store(Entry& entry, QStringView name) {
    const std::size_t length = std::size_t(name.size());
    if (units_.size() + 2 * length > std::numeric_limits<std::uint32_t>::max() ||
        length > (std::size_t(1) << 31) - 1) {
        throw std::length_error("record names exceed the name buffer");
    }
    const std::size_t at = units_.size();
    units_.resize(at + 2 * length);
    std::copy_n(name.utf16(), length, units_.data() + at);
    entry.name = std::uint32_t(at);
    entry.length = std::uint32_t(length);
    // Unit by unit folding is exact only without surrogates.
    const bool surrogates =
        std::any_of(name.begin(), name.end(), [](QChar unit) { return unit.isSurrogate(); });
    entry.foldedCopy = surrogates && foldInto(name, units_.data() + at + length);
    if (!entry.foldedCopy) {
        units_.resize(at + length);
    }
}

RecordNames::Slot RecordNames::add(qint64 rowId, QStringView name) {
    Slot slot;
    if (!freeSlots_.empty()) {
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        slot = Slot(slots_.size());
        slots_.push_back({});
    }
    slots_[slot].rowId = rowId;
    store(slots_[slot], name);
    return slot;
}

void RecordNames::rename(Slot slot, QStringView name) {
    Entry& entry = slots_[slot];
    unusedUnits_ += entry.units();
    store(entry, name);
    compactWhenWasteful();
}

void RecordNames::remove(Slot slot) {
    Entry& entry = slots_[slot];
    unusedUnits_ += entry.units();
    entry = Entry{0, 0, 0, 0};
    freeSlots_.push_back(slot);
    compactWhenWasteful();
}

void RecordNames::clear() {
    slots_ = {};
    freeSlots_ = {};
    units_ = {};
    unusedUnits_ = 0;
}

void RecordNames::shrinkToFit() {
    slots_.shrink_to_fit();
    units_.shrink_to_fit();
}

void RecordNames::compactWhenWasteful() {
    if (unusedUnits_ < 4096 || unusedUnits_ * 2 < units_.size()) {
        return;
    }
    std::vector<char16_t> kept;
    kept.reserve(units_.size() - unusedUnits_);
    for (Entry& entry : slots_) {
        const std::uint32_t name = std::uint32_t(kept.size());
        kept.insert(kept.end(), units_.begin() + entry.name,
                    units_.begin() + std::ptrdiff_t(entry.name + entry.units()));
        entry.name = name;
    }
    units_ = std::move(kept);
    unusedUnits_ = 0;
}

std::size_t RecordNames::bytesHeld() const {
    return slots_.capacity() * sizeof(Entry) + freeSlots_.capacity() * sizeof(Slot) +
           units_.capacity() * sizeof(char16_t);
}

} // namespace infobase
