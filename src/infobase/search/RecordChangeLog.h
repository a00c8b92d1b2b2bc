#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace infobase {
class SqlcipherConnection;
}

namespace infobase::search::change_log {

// The base's own record of which branch records changed, kept so that a search can bring its
// copy up to date by reading those rows only, whichever program changed them.
//
// Beside the record table, whose columns stay as they are: RecordVersions holds, for each
// record key that was ever added, changed in its name, description or text, or deleted, the
// number of the last such change (one count for the whole base, growing); triggers on the
// record table keep it, in the transaction of the change. RecordVersionsEpoch holds one
// random number given when the log was made: a log made again (after someone dropped a part
// of it) counts from the start again, and its new number tells a reader so.

// Where a reader of the log stands.
struct Position {
    qint64 epoch = 0;
    qint64 version = 0;
};

// Makes the log when the base has none or only a part of one (its tables and triggers
// together, in one transaction); false when the base cannot be written now (read-only,
// locked) or refuses. Never throws.
bool ensure(const SqlcipherConnection& connection);

// A base whose triggers outlived their table would refuse every write to the records: drops
// the triggers then, in one transaction (a search makes the log again when it needs it).
// Leaves a whole log, or none, as it is. Never throws.
void keepWritable(const SqlcipherConnection& connection);

// The log's position now, or none without a whole log. Throws Failure.
std::optional<Position> position(const SqlcipherConnection& connection);

// A record as the base now holds it, or gone.
struct ChangedRow {
    qint64 rowId = 0;
    bool present = false;
    QString name;
    QByteArray description; // UTF-8, as the base holds it
    QByteArray text;
};

// The records changed after the position, and the position moved past them; none when the
// log is not the one the position is in (gone, made again, emptied), or when more than
// `most` records changed: the caller then reads everything again. Reads in one transaction
// of its own: call it outside any transaction. Throws Failure.
std::optional<std::vector<ChangedRow>> changesSince(const SqlcipherConnection& connection,
                                                    Position& position, int most);

} // namespace infobase::search::change_log
