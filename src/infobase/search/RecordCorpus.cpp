#include "infobase/search/RecordCorpus.h"

#include "infobase/search/ByteFinder.h"
#include "infobase/search/InParallel.h"
#include "infobase/search/SearchFold.h"
#include "infobase/store/NameIndex.h"
#include "infobase/store/SqlcipherConnection.h"

#include <algorithm>
#include <cstring>

namespace infobase::search {

namespace {

// Records are added to the last chunk until it holds this many bytes: replacing a record
// copies at most one chunk's later bytes, and a search runs through long stretches.
constexpr qsizetype kChunkBytes = 256 * 1024;

// A part of a search run by a thread of its own takes at least this many chunks (4 MB): fewer
// are looked through sooner than a thread starts.
constexpr std::size_t kChunksPerPart = 16;

} // namespace

void RecordCorpus::Builder::add(qint64 rowId, QStringView name, QByteArrayView description,
                                QByteArrayView text) {
    RecordCorpus& c = *corpus_;
    const int slot = c.slotCount();
    c.slots_.push_back(Slot{name.toString()});
    c.rowIds_.push_back(rowId);
    c.place(slot, name, description, text);
    // A table is read in the order of its keys: the last key is the largest so far.
    if (!c.byRowId_.empty() && c.rowIds_[c.byRowId_.back()] >= rowId) {
        c.byRowId_.insert(c.rowIdPlace(rowId), slot);
    } else {
        c.byRowId_.push_back(slot);
    }
    ++c.liveCount_;
}

std::unique_ptr<RecordCorpus> RecordCorpus::Builder::finish() {
    RecordCorpus& c = *corpus_;
    if (!c.chunks_.empty()) {
        c.chunks_.back().bytes.squeeze();
    }
    c.slots_.shrink_to_fit();
    c.rowIds_.shrink_to_fit();
    c.byRowId_.shrink_to_fit();
    c.byName_.resize(c.slots_.size());
    for (int i = 0; i < c.slotCount(); ++i) {
        c.byName_[i] = i;
    }
    std::sort(c.byName_.begin(), c.byName_.end(), [&c](int a, int b) { return c.nameOrder(a, b); });
    c.byExactName_.reserve(c.size());
    for (const int slot : c.byName_) {
        if (!c.byExactName_.contains(c.name(slot))) {
            c.byExactName_.insert(c.name(slot), slot);
        }
    }
    std::unique_ptr<RecordCorpus> done = std::move(corpus_);
    corpus_ = std::make_unique<RecordCorpus>();
    return done;
}

std::unique_ptr<RecordCorpus> RecordCorpus::read(const SqlcipherConnection& connection) {
    // No count first: that would read every text twice. Chunks are added as they fill.
    Builder builder;
    SqlStatement rows =
        connection.prepare("SELECT rowid, Imya_vetok, Opisanie, Texty FROM Tab_DB_Delphi_10");
    while (rows.step()) {
        builder.add(rows.columnInt64(0), QString::fromUtf8(rows.columnText(1)), rows.columnText(2),
                    rows.columnText(3));
    }
    return builder.finish();
}

QByteArrayView RecordCorpus::foldedName(int slot) const {
    const Slot& s = slots_[slot];
    return QByteArrayView(chunks_[s.chunk].bytes)
        .sliced(s.nameStart, s.descriptionStart - 1 - s.nameStart);
}

bool RecordCorpus::nameOrder(int a, int b) const {
    if (const int byText = name(a).compare(name(b)); byText != 0) {
        return byText < 0;
    }
    return rowIds_[a] < rowIds_[b];
}

int RecordCorpus::ownRecordOf(QStringView nodeText) const {
    if (const auto exact = byExactName_.constFind(nodeText); exact != byExactName_.cend()) {
        return *exact;
    }
    if (nodeText.size() != NameIndex::kMaxBranchNameLength) {
        return -1;
    }
    const auto first = std::lower_bound(
        byName_.begin(), byName_.end(), nodeText,
        [this](int slot, QStringView text) { return name(slot).compare(text) < 0; });
    if (first == byName_.end() || !name(*first).startsWith(nodeText)) {
        return -1;
    }
    const auto next = first + 1;
    return next == byName_.end() || !name(*next).startsWith(nodeText) ? *first : -1;
}

QString RecordCorpus::nameOf(qint64 rowId) const {
    const int slot = slotOf(rowId);
    return slot < 0 ? QString() : slots_[slot].name;
}

int RecordCorpus::slotOf(qint64 rowId) const {
    const auto at = rowIdPlace(rowId);
    return at != byRowId_.end() && rowIds_[*at] == rowId ? *at : -1;
}

std::vector<int>::const_iterator RecordCorpus::rowIdPlace(qint64 rowId) const {
    return std::lower_bound(byRowId_.begin(), byRowId_.end(), rowId,
                            [this](int slot, qint64 key) { return rowIds_[slot] < key; });
}

void RecordCorpus::place(int slot, QStringView name, QByteArrayView description,
                         QByteArrayView text) {
    if (chunks_.empty() || chunks_.back().bytes.size() >= kChunkBytes) {
        if (!chunks_.empty()) {
            chunks_.back().bytes.squeeze(); // full: no room kept for growth
        }
        chunks_.emplace_back();
    }
    const int chunk = int(chunks_.size() - 1);
    QByteArray& bytes = chunks_[chunk].bytes;
    Slot& s = slots_[slot];
    const qsizetype start = bytes.size();
    s.chunk = chunk;
    s.nameStart = quint32(start);
    appendFoldedUtf8(name, bytes);
    bytes.append('\0');
    s.descriptionStart = quint32(bytes.size());
    appendFoldedUtf8(description, bytes);
    bytes.append('\0');
    s.textStart = quint32(bytes.size());
    appendFoldedUtf8(text, bytes);
    bytes.append('\0');
    s.end = quint32(bytes.size());
    chunks_[chunk].slots.push_back(slot);
    foldedBytes_ += bytes.size() - start;
}

void RecordCorpus::unplace(int slot) {
    Slot& s = slots_[slot];
    Chunk& chunk = chunks_[s.chunk];
    const quint32 length = s.end - s.nameStart;
    char* bytes = chunk.bytes.data();
    std::memmove(bytes + s.nameStart, bytes + s.end, chunk.bytes.size() - s.end);
    chunk.bytes.truncate(chunk.bytes.size() - length);
    const auto at = std::find(chunk.slots.begin(), chunk.slots.end(), slot);
    for (auto later = at + 1; later != chunk.slots.end(); ++later) {
        Slot& moved = slots_[*later];
        moved.nameStart -= length;
        moved.descriptionStart -= length;
        moved.textStart -= length;
        moved.end -= length;
    }
    chunk.slots.erase(at);
    // A chunk emptied by many replacements gives its room back.
    if (chunk.bytes.capacity() > 2 * chunk.bytes.size() + 4096) {
        chunk.bytes.squeeze();
    }
    foldedBytes_ -= length;
    s.chunk = -1;
}

void RecordCorpus::indexName(int slot) {
    byName_.insert(std::lower_bound(byName_.begin(), byName_.end(), slot,
                                    [this](int a, int b) { return nameOrder(a, b); }),
                   slot);
    const auto exact = byExactName_.find(name(slot));
    if (exact == byExactName_.end()) {
        byExactName_.insert(name(slot), slot);
    } else if (rowIds_[*exact] > rowIds_[slot]) {
        // The key points into the name of the record it names.
        byExactName_.erase(exact);
        byExactName_.insert(name(slot), slot);
    }
}

void RecordCorpus::unindexName(int slot) {
    const auto at = std::lower_bound(byName_.begin(), byName_.end(), slot,
                                     [this](int a, int b) { return nameOrder(a, b); });
    const auto next = byName_.erase(at);
    const auto exact = byExactName_.find(name(slot));
    if (exact != byExactName_.end() && *exact == slot) {
        byExactName_.erase(exact);
        // The next of that name, if any, has the lowest key now.
        if (next != byName_.end() && name(*next) == name(slot)) {
            byExactName_.insert(name(*next), *next);
        }
    }
}

bool RecordCorpus::put(qint64 rowId, QStringView name, QByteArrayView description,
                       QByteArrayView text) {
    int slot = slotOf(rowId);
    bool indexed = false;
    if (slot < 0) {
        if (freeSlots_.empty()) {
            slot = slotCount();
            slots_.push_back(Slot{});
            rowIds_.push_back(rowId);
        } else {
            slot = freeSlots_.back();
            freeSlots_.pop_back();
            rowIds_[slot] = rowId;
        }
        byRowId_.insert(rowIdPlace(rowId), slot);
        ++liveCount_;
    } else {
        unplace(slot);
        indexed = slots_[slot].name == name;
        if (!indexed) {
            unindexName(slot);
        }
    }
    place(slot, name, description, text);
    if (!indexed) {
        slots_[slot].name = name.toString();
        indexName(slot);
    }
    return !indexed;
}

bool RecordCorpus::remove(qint64 rowId) {
    const int slot = slotOf(rowId);
    if (slot < 0) {
        return false;
    }
    unplace(slot);
    unindexName(slot);
    slots_[slot].name = QString();
    byRowId_.erase(rowIdPlace(rowId));
    freeSlots_.push_back(slot);
    --liveCount_;
    return true;
}

void RecordCorpus::match(const ByteFinder& query, const std::vector<char>& wanted,
                         std::vector<MatchPlace>& places) const {
    places.assign(slots_.size(), MatchPlace::None);
    if (query.isEmpty()) {
        return;
    }
    // A large corpus is looked through on every core, each taking a run of chunks: each
    // writes only the places of its own chunks' records.
    inParallel(chunks_.size(), kChunksPerPart, [&](std::size_t first, std::size_t end) {
        matchChunks(query, wanted, places, first, end);
    });
}

void RecordCorpus::matchChunks(const ByteFinder& query, const std::vector<char>& wanted,
                               std::vector<MatchPlace>& places, std::size_t firstChunk,
                               std::size_t endChunk) const {
    for (std::size_t c = firstChunk; c < endChunk; ++c) {
        const Chunk& chunk = chunks_[c];
        const char* base = chunk.bytes.constData();
        const std::vector<int>& order = chunk.slots;
        std::size_t k = 0;
        while (k < order.size()) {
            if (!wanted[order[k]]) {
                ++k;
                continue;
            }
            // A run of wanted records one after the other is searched in one stretch.
            std::size_t last = k;
            while (last + 1 < order.size() && wanted[order[last + 1]]) {
                ++last;
            }
            const char* runEnd = base + slots_[order[last]].end;
            while (k <= last) {
                const char* found = query.find(base + slots_[order[k]].descriptionStart, runEnd);
                if (!found) {
                    break;
                }
                const quint32 at = quint32(found - base);
                while (slots_[order[k]].end <= at) {
                    ++k;
                }
                const Slot& holder = slots_[order[k]];
                // A match in a record's folded name is not its description's or text's: the
                // next look starts at its description.
                if (at >= holder.descriptionStart) {
                    places[order[k]] =
                        at < holder.textStart ? MatchPlace::Description : MatchPlace::Text;
                    // The first place of a record is all a result shows.
                    ++k;
                }
            }
            k = last + 1;
        }
    }
}

std::size_t RecordCorpus::memoryBytes() const {
    std::size_t bytes = slots_.capacity() * sizeof(Slot) + rowIds_.capacity() * sizeof(qint64) +
                        freeSlots_.capacity() * sizeof(int) + chunks_.capacity() * sizeof(Chunk) +
                        byName_.capacity() * sizeof(int);
    for (const Slot& slot : slots_) {
        bytes += slot.name.isNull() ? 0 : 16 + slot.name.capacity() * sizeof(char16_t);
    }
    for (const Chunk& chunk : chunks_) {
        bytes += chunk.bytes.capacity() + chunk.slots.capacity() * sizeof(int);
    }
    // A hash entry, its share of the buckets' offsets and the free room kept.
    bytes += byRowId_.capacity() * sizeof(int);
    bytes += byExactName_.capacity() * (sizeof(QStringView) + sizeof(int) + 1) * 2;
    return bytes;
}

} // namespace infobase::search
