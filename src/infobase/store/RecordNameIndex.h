#pragma once

#include <functional>

namespace infobase {
class SqlcipherConnection;
}

// The base's own index on the record names, RecordNameIndex: an entry per record holding its
// name and its key, a few bytes per record however long the texts beside them are. The open
// scans it instead of the record table, whose rows would make it read the whole file. The
// record table's columns and data stay as they are; the index is one more thing the base
// keeps in step with every write of the records, as SQLite does for any index.
namespace infobase::record_name_index {

inline constexpr const char* kName = "RecordNameIndex";

// The statement that makes the index; the base keeps its text in the schema.
inline constexpr const char* kCreate =
    "CREATE INDEX RecordNameIndex ON Tab_DB_Delphi_10 (Imya_vetok)";

// Whether the base holds the index as this program makes it. Anything else of that name (a
// table, a view, an index made otherwise by another program) is not it. Throws Failure.
bool present(const SqlcipherConnection& connection);

// Makes the index in a base that lacks it, in one transaction of its own: it reads every
// record once, calling `working` now and then meanwhile. False, with nothing changed, when the
// base cannot take it now: it can only be read, another program holds its lock (never waited
// for), something else has the name, or the database refuses. Never throws.
bool make(const SqlcipherConnection& connection, const std::function<void()>& working);

} // namespace infobase::record_name_index
