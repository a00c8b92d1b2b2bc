#pragma once

#include <QByteArray>
#include <QString>

namespace infobase {

class SqlcipherConnection;

// The fixed facts of the base file: its password, its tables and the six columns of a
// branch record that the program reads and writes.
namespace branch_table {

// The base's password, handed to SQLCipher as the key of every connection.
inline const QByteArray kPassword = QByteArrayLiteral("qmtrevolk");

inline constexpr const char* kRecordTable = "Tab_DB_Delphi_10";
inline constexpr const char* kPasswordTable = "Tab_Parol";

// The columns of a branch record, in the order the program reads them.
enum class Column { Dat, Imya_vetok, Opisanie, Texty, RashirenieFile, File };
inline constexpr int kColumnCount = 6;

// The column's name as the table spells it.
const char* columnName(Column column);
// The column of that name, ignoring ASCII letter case; false when no column has it.
bool columnByName(const QString& name, Column* column);

// Proves that the record table exists and has the six columns, by the table's own column
// list: throws Failure "no such table: Tab_DB_Delphi_10" or "no such column: <name>".
void requireColumns(const SqlcipherConnection& connection);

// Creates a new base file holding the two empty tables (createTables), keyed with the base's
// password. Refuses (Failure) when anything exists at the path; a failure half way removes the
// file.
void createBaseFile(const QString& path);

// Creates the two tables in an empty base, and the record name index (RecordNameIndex.h).
// The attachment is the last column, so that reading the text columns of a row never walks
// its attachment's pages; the hidden key RecordId is never reused, so a record deleted
// meanwhile is never mistaken for a new one.
void createTables(const SqlcipherConnection& connection);

} // namespace branch_table
} // namespace infobase
