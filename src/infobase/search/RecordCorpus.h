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

// What a search looks through in the branch records, read from the base at one moment: each
// record's hidden key and name, and its description and text folded (SearchFold.h) as UTF-8
// in one block, each followed by a zero byte so that no match runs from one into the next.
// The original texts are not kept: an excerpt reads its record again (HitText.h).
class RecordCorpus {
public:
    class Builder {
    public:
        // Description and text as UTF-8, as the base holds them.
        void add(qint64 rowId, QStringView name, QByteArrayView description, QByteArrayView text);
        std::shared_ptr<const RecordCorpus> finish();

    private:
        std::unique_ptr<RecordCorpus> corpus_ = std::make_unique<RecordCorpus>();
    };

    // Reads every record of the record table through the connection. Throws Failure with the
    // database's message.
    static std::shared_ptr<const RecordCorpus> read(const SqlcipherConnection& connection);

    int size() const { return static_cast<int>(rowIds_.size()); }
    qint64 rowId(int record) const { return rowIds_[record]; }
    QStringView name(int record) const;

    // The record a branch of that text owns, or -1: the record whose name equals the text
    // exactly (of several, the one with the lowest key); failing that, for a text of the
    // tree file's longest 255 code units, the one record whose name begins with it when
    // exactly one does.
    int ownRecordOf(QStringView nodeText) const;

    // For each wanted record, Description or Text when that field holds the folded query
    // (the description first); None otherwise and for the records not wanted, which are
    // not looked at.
    void match(const ByteFinder& query, const std::vector<char>& wanted,
               std::vector<MatchPlace>& places) const;

    // The heap this corpus holds (the name table's estimated).
    std::size_t memoryBytes() const;

private:
    std::vector<qint64> rowIds_;
    QString names_;                       // every name, one after the other
    std::vector<qsizetype> nameStarts_;   // where each name begins, and the end
    std::vector<int> byName_;             // records in order of name (code units), then key
    QHash<QStringView, int> byExactName_; // each name's record with the lowest key
    QByteArray folded_;                   // description \0 text \0, record after record
    std::vector<qsizetype> fieldStarts_;  // where each description and text begins, and the end
};

} // namespace infobase::search
