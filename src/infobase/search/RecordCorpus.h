#pragma once

#include "infobase/search/MatchPlace.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace infobase {
class SqlcipherConnection;
}

namespace infobase::search {

class ByteFinder;

// What a search looks through in the branch records: each record's hidden key and name, and
// its name, description and text folded (SearchFold.h) as UTF-8, each followed by a zero
// byte so that no match runs from one into the next. The original texts are not kept: an
// excerpt reads its record again (HitText.h).
//
// Records live in slots, which keep their number while the record changes; the folded bytes
// lie in chunks of a few hundred kilobytes, so that one record is replaced by copying one
// chunk at most, never the whole corpus. The corpus holds the folded bytes once, plus a fixed
// cost per record.
class RecordCorpus {
public:
    class Builder {
    public:
        // Description and text as UTF-8, as the base holds them.
        void add(qint64 rowId, QStringView name, QByteArrayView description, QByteArrayView text);
        std::unique_ptr<RecordCorpus> finish();

    private:
        std::unique_ptr<RecordCorpus> corpus_ = std::make_unique<RecordCorpus>();
    };

    // Reads every record of the record table through the connection. Throws Failure with the
    // database's message.
    static std::unique_ptr<RecordCorpus> read(const SqlcipherConnection& connection);

    // Slots are numbered 0 … slotCount() − 1; a slot whose record is gone is free until a new
    // record takes it.
    int slotCount() const { return static_cast<int>(slots_.size()); }
    bool isLive(int slot) const { return slots_[slot].chunk >= 0; }
    // Records in the corpus.
    int size() const { return liveCount_; }
    qint64 rowId(int slot) const { return rowIds_[slot]; }
    QStringView name(int slot) const { return slots_[slot].name; }
    // The name of the record of that key; a null text when the corpus has none.
    QString nameOf(qint64 rowId) const;
    // The slot of the record of that key, or -1.
    int slotOf(qint64 rowId) const;
    // The name folded, without its zero byte.
    QByteArrayView foldedName(int slot) const;

    // The record a branch of that text owns, or -1: the record whose name equals the text
    // exactly (of several, the one with the lowest key); failing that, for a text of the
    // tree file's longest 255 code units, the one record whose name begins with it when
    // exactly one does.
    int ownRecordOf(QStringView nodeText) const;

    // The record of that key as the base now holds it, added or replaced. True when the
    // record is new or renamed: which record a branch owns may have changed.
    bool put(qint64 rowId, QStringView name, QByteArrayView description, QByteArrayView text);
    // The record of that key is gone; false when the corpus had none.
    bool remove(qint64 rowId);

    // For each wanted slot, Description or Text when that field holds the folded query (the
    // description first); None otherwise and for the slots not wanted, which are not
    // looked at.
    void match(const ByteFinder& query, const std::vector<char>& wanted,
               std::vector<MatchPlace>& places) const;

    // The heap this corpus holds (the hash tables' estimated).
    std::size_t memoryBytes() const;
    // The folded bytes alone.
    qint64 foldedBytes() const { return foldedBytes_; }

private:
    struct Slot {
        QString name;
        int chunk = -1; // -1: a free slot
        // Offsets in the chunk: the folded name, the description, the text, and the end.
        quint32 nameStart = 0;
        quint32 descriptionStart = 0;
        quint32 textStart = 0;
        quint32 end = 0;
    };
    struct Chunk {
        QByteArray bytes;
        std::vector<int> slots; // in the order of their bytes
    };

    // Folds the record into the open chunk and gives the slot its place there.
    void place(int slot, QStringView name, QByteArrayView description, QByteArrayView text);
    void matchChunks(const ByteFinder& query, const std::vector<char>& wanted,
                     std::vector<MatchPlace>& places, std::size_t firstChunk,
                     std::size_t endChunk) const;
    // Where the key stands, or would stand, in byRowId_.
    std::vector<int>::const_iterator rowIdPlace(qint64 rowId) const;
    // Takes the slot's bytes out of its chunk; the chunk's later records move down.
    void unplace(int slot);
    void indexName(int slot);
    void unindexName(int slot);
    bool nameOrder(int a, int b) const;

    std::vector<Slot> slots_;
    // Each slot's key, apart from the slots: a search that finds most records reads the keys
    // of all of them, and nothing else of their slots.
    std::vector<qint64> rowIds_;
    std::vector<int> freeSlots_;
    int liveCount_ = 0;
    std::vector<Chunk> chunks_;
    qint64 foldedBytes_ = 0;
    std::vector<int> byRowId_;            // live slots in order of key
    std::vector<int> byName_;             // live slots in order of name (code units), then key
    QHash<QStringView, int> byExactName_; // each name's record with the lowest key, into the names
};

} // namespace infobase::search
