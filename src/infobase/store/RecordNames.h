#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace infobase {

// A name with its letter case folded (Unicode simple case folding), as the name order reads
// it: either code units already folded, or a name's own units folded one by one as they are
// read, which is exact for a name without surrogates.
class FoldedName {
public:
    FoldedName(QStringView units, bool foldOnRead) : units_(units), foldOnRead_(foldOnRead) {}
    // Already folded units, such as a search value folded by RecordNames::fold.
    explicit FoldedName(QStringView folded) : FoldedName(folded, false) {}

    qsizetype size() const { return units_.size(); }
    char16_t at(qsizetype i) const;
    QString toString() const;
    // Code unit order of the folded units: below, equal or above zero.
    static int compare(const FoldedName& a, const FoldedName& b);
    bool startsWith(const FoldedName& prefix) const;

private:
    QStringView units_;
    bool foldOnRead_;
};

// The hidden key and the name of every record the branch query knows, kept compactly: one
// small slot per record and every name in one shared buffer of UTF-16 code units. A name is
// folded for the name order as it is read, except a name with surrogates whose folding
// changes it: its folded form is kept beside it. A slot keeps its number while other records
// come and go, so indexes hold slot numbers.
class RecordNames {
public:
    using Slot = std::uint32_t;
    static constexpr Slot kNone = ~Slot(0);

    // Ready to take about that many records with names of that many code units in all.
    void reserve(std::size_t records, std::size_t units);
    // A new slot for the record; the name is copied.
    Slot add(qint64 rowId, QStringView name);
    // Gives the record a new name.
    void rename(Slot slot, QStringView name);
    // Forgets the record; its slot number may be given to a later record.
    void remove(Slot slot);
    void clear();
    // Drops the spare room kept for further records.
    void shrinkToFit();

    qint64 rowId(Slot slot) const { return slots_[slot].rowId; }
    QStringView name(Slot slot) const {
        const Entry& entry = slots_[slot];
        return QStringView(units_.data() + entry.name, qsizetype(entry.length));
    }
    FoldedName folded(Slot slot) const {
        const Entry& entry = slots_[slot];
        const char16_t* units = units_.data() + entry.name;
        return entry.foldedCopy ? FoldedName(QStringView(units + entry.length, entry.length), false)
                                : FoldedName(QStringView(units, entry.length), true);
    }

    // The name with its letter case folded, exactly as QString::toCaseFolded gives it: each
    // code point on its own, never changing the number of code units.
    static QString fold(QStringView name);
    // Writes the folded name into `out` (name.size() units); false when folding changed
    // nothing.
    static bool foldInto(QStringView name, char16_t* out);
    // The folded form of a code unit that is not a surrogate.
    static char16_t foldUnit(char16_t unit) { return unitFolds_[unit]; }

    // The bytes held, for the memory figures of the benchmarks.
    std::size_t bytesHeld() const;

private:
    struct Entry {
        qint64 rowId;
        std::uint32_t name;           // offset of the name in units_
        std::uint32_t length : 31;    // in code units, the same for its folded form
        std::uint32_t foldedCopy : 1; // whether the folded form follows the name in units_
        std::size_t units() const { return std::size_t(length) * (foldedCopy ? 2 : 1); }
    };
    // Appends the name, and its folded form when it must be kept; sets the entry's fields.
    void store(Entry& entry, QStringView name);

    static const char16_t* const unitFolds_;
    // Rewrites the buffer without the units of forgotten names once they are half of it.
    void compactWhenWasteful();

    std::vector<Entry> slots_;
    std::vector<Slot> freeSlots_;
    std::vector<char16_t> units_;
    std::size_t unusedUnits_ = 0; // units of names no record has any more
};

} // namespace infobase
