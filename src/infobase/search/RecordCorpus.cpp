#include "infobase/search/RecordCorpus.h"

#include "infobase/search/ByteFinder.h"
#include "infobase/search/SearchFold.h"
#include "infobase/store/NameIndex.h"
#include "infobase/store/SqlcipherConnection.h"

#include <algorithm>

namespace infobase::search {

void RecordCorpus::Builder::add(qint64 rowId, QStringView name, QByteArrayView description,
                                QByteArrayView text) {
    RecordCorpus& c = *corpus_;
    c.rowIds_.push_back(rowId);
    c.nameStarts_.push_back(c.names_.size());
    c.names_.append(name);
    c.fieldStarts_.push_back(c.folded_.size());
    appendFoldedUtf8(description, c.folded_);
    c.folded_.append('\0');
    c.fieldStarts_.push_back(c.folded_.size());
    appendFoldedUtf8(text, c.folded_);
    c.folded_.append('\0');
}

std::shared_ptr<const RecordCorpus> RecordCorpus::Builder::finish() {
    RecordCorpus& c = *corpus_;
    c.nameStarts_.push_back(c.names_.size());
    c.fieldStarts_.push_back(c.folded_.size());
    c.byName_.resize(c.rowIds_.size());
    for (int i = 0; i < c.size(); ++i) {
        c.byName_[i] = i;
    }
    std::sort(c.byName_.begin(), c.byName_.end(), [&c](int a, int b) {
        if (const int byText = c.name(a).compare(c.name(b)); byText != 0) {
            return byText < 0;
        }
        return c.rowIds_[a] < c.rowIds_[b];
    });
    c.rowIds_.shrink_to_fit();
    c.nameStarts_.shrink_to_fit();
    c.fieldStarts_.shrink_to_fit();
    c.names_.squeeze();
    c.folded_.squeeze();
    // After the squeeze: the table's keys point into the names.
    c.byExactName_.reserve(c.size());
    for (const int record : c.byName_) {
        if (!c.byExactName_.contains(c.name(record))) {
            c.byExactName_.insert(c.name(record), record);
        }
    }
    std::shared_ptr<const RecordCorpus> done(std::move(corpus_));
    corpus_ = std::make_unique<RecordCorpus>();
    return done;
}

std::shared_ptr<const RecordCorpus> RecordCorpus::read(const SqlcipherConnection& connection) {
    // No count first: that would read every text twice. The block grows as it fills, and
    // finish() gives back what is left over.
    Builder builder;
    SqlStatement rows =
        connection.prepare("SELECT rowid, Imya_vetok, Opisanie, Texty FROM Tab_DB_Delphi_10");
    while (rows.step()) {
        builder.add(rows.columnInt64(0), QString::fromUtf8(rows.columnText(1)), rows.columnText(2),
                    rows.columnText(3));
    }
    return builder.finish();
}

QStringView RecordCorpus::name(int record) const {
    return QStringView(names_).sliced(nameStarts_[record],
                                      nameStarts_[record + 1] - nameStarts_[record]);
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
        [this](int record, QStringView text) { return name(record).compare(text) < 0; });
    if (first == byName_.end() || !name(*first).startsWith(nodeText)) {
        return -1;
    }
    const auto next = first + 1;
    return next == byName_.end() || !name(*next).startsWith(nodeText) ? *first : -1;
}

void RecordCorpus::match(const ByteFinder& query, const std::vector<char>& wanted,
                         std::vector<MatchPlace>& places) const {
    const int count = size();
    places.assign(count, MatchPlace::None);
    if (query.isEmpty()) {
        return;
    }
    const char* block = folded_.constData();
    const char* end = block + folded_.size();
    int record = 0;
    for (;;) {
        while (record < count && !wanted[record]) {
            ++record;
        }
        if (record == count) {
            return;
        }
        const char* found = query.find(block + fieldStarts_[2 * record], end);
        if (!found) {
            return;
        }
        // Hits come in order: the record that holds this one is at or after the last.
        const qsizetype at = found - block;
        while (fieldStarts_[2 * record + 2] <= at) {
            ++record;
        }
        if (wanted[record]) {
            places[record] =
                at < fieldStarts_[2 * record + 1] ? MatchPlace::Description : MatchPlace::Text;
        }
        // The first place of a record is all a result shows: go on with the next record.
        ++record;
    }
}

std::size_t RecordCorpus::memoryBytes() const {
    return rowIds_.capacity() * sizeof(qint64) + names_.capacity() * sizeof(char16_t) +
           nameStarts_.capacity() * sizeof(qsizetype) + byName_.capacity() * sizeof(int) +
           folded_.capacity() + fieldStarts_.capacity() * sizeof(qsizetype) +
           byExactName_.capacity() * (1 + sizeof(QStringView) + sizeof(int));
}

} // namespace infobase::search
