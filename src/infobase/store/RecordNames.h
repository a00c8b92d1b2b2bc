#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace infobase {

// The hidden key and the name of every record the branch query knows, kept compactly: one
// small slot per record and every name in one shared buffer of UTF-16 code units, beside it
// the name with its letter case folded (Unicode simple case folding) when folding changes it.
// A slot keeps its number while other records come and go, so indexes hold slot numbers.
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
    QStringView folded(Slot slot) const {
        const Entry& entry = slots_[slot];
        return QStringView(units_.data() + entry.folded, qsizetype(entry.length));
    }

    // The name with its letter case folded, exactly as QString::toCaseFolded gives it: each
    // code point on its own, never changing the number of code units.
    static QString fold(QStringView name);
    // Writes the folded name into `out` (name.size() units); false when folding changed
    // nothing.
    static bool foldInto(QStringView name, char16_t* out);

    // The bytes held, for the memory figures of the benchmarks.
    std::size_t bytesHeld() const;

private:
    struct Entry {
        qint64 rowId;
        std::uint32_t name;   // offset of the name in units_
        std::uint32_t folded; // offset of the folded name; == name when folding changes nothing
        std::uint32_t length; // in code units, the same for both
    };
    // Appends the name, and its folded form when that differs; sets the entry's offsets.
    void store(Entry& entry, QStringView name);
    // Rewrites the buffer without the units of forgotten names once they are half of it.
    void compactWhenWasteful();

    std::vector<Entry> slots_;
    std::vector<Slot> freeSlots_;
    std::vector<char16_t> units_;
    std::size_t unusedUnits_ = 0; // units of names no record has any more
};

} // namespace infobase
