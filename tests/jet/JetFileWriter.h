#pragma once

// A writer of small Access (Jet 4.0) database files, for tests and benchmarks of the import
// of the Windows program's base. It writes what libmdb (mdbtools) needs to list and read
// tables: the header page, the catalog, table definitions, usage maps, data pages and long
// value pages; no indexes, no relationships, no properties. Values of any size are streamed:
// rows may come from a generator and long values from a callback, so a 300 MB attachment
// needs a fixed buffer, not 300 MB of memory.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <variant>
#include <vector>

namespace jetfile {

// Column types by their Jet type codes.
enum class JetType : std::uint8_t {
    Boolean = 0x01, // stored in the row's null mask
    Byte = 0x02,    // unsigned 8-bit
    Integer = 0x03, // signed 16-bit
    Long = 0x04,    // signed 32-bit
    Double = 0x07,
    DateTime = 0x08,  // days since 1899-12-30 as a double
    Text = 0x0A,      // up to 255 characters, UTF-16 or compressed Unicode
    OleObject = 0x0B, // long binary value ("OLE Object")
    Memo = 0x0C,      // long text value
};

// Where a long value (Memo, OleObject) is stored.
enum class LongValuePlacement {
    Auto,       // in the row when the row still fits its page, else one long-value page when
                // it fits one, else a chain of long-value pages
    Inline,     // in the row; a value too big for a row page is refused (an empty value is
                // always stored in its row)
    SinglePage, // as the one record of a long-value page; a value too big for one is refused
    Chain,      // in a chain of long-value pages, even when small (see chainPieceSize)
};

// How a table's map of owned data pages is stored.
enum class UsageMapKind {
    Auto,     // Inline while the table's data pages span 512 pages or fewer, else MapPages
    Inline,   // type 0: a start page and a bitmap in the map's own record
    MapPages, // type 1: the record lists pages that each hold a bitmap of 32,736 pages
};

// A long value's bytes, given piece by piece: fill(offset, buffer, length) writes the bytes
// [offset, offset + length) of the value into buffer. For a Memo column the bytes are the
// stored ones (UTF-16LE, or compressed Unicode starting with FF FE) — see memoBytes().
struct JetLongValue {
    std::uint64_t size = 0;
    std::function<void(std::uint64_t offset, char* buffer, std::size_t length)> fill;
    // Overrides JetFileOptions::longValues for this value when set.
    std::optional<LongValuePlacement> placement;
};

JetLongValue longValueOf(QByteArray bytes);
// A value of any size whose bytes are computed from their offset and a seed, so that a test
// can write (and check) hundreds of megabytes without holding them.
JetLongValue patternValue(std::uint64_t size, std::uint32_t seed);
QByteArray patternBytes(std::uint64_t offset, std::size_t length, std::uint32_t seed);
// The file's bytes, read piece by piece when the value is written.
JetLongValue longValueFromFile(const QString& path);
// The stored form of a memo text: UTF-16LE, or compressed Unicode when asked and shorter.
QByteArray memoBytes(const QString& text, bool compressedUnicode);

// One cell. monostate is NULL. Which alternative fits which type:
//   bool: Boolean; qint64: Byte, Integer, Long (range checked); double: Double, DateTime
//   (raw days); QDateTime: DateTime; QString: Text, Memo; QByteArray, JetLongValue:
//   OleObject, Memo (a Memo's bytes as stored).
using JetCell = std::variant<std::monostate, bool, qint64, double, QDateTime, QString, QByteArray,
                             JetLongValue>;
using JetRow = std::vector<JetCell>;

struct JetColumn {
    QString name;
    JetType type = JetType::Text;
    // Text and Memo: the column allows Jet's compressed Unicode; a value is stored
    // compressed when that is shorter (a memo only up to 1024 characters), as Access does.
    bool compressedUnicode = true;
    // Text: the most characters a value may have (1..255).
    int maxLength = 255;
};

struct JetTableSpec {
    QString name;
    std::vector<JetColumn> columns;
    // The rows, or, when nextRow is set, rows taken from it until it returns nothing.
    std::vector<JetRow> rows;
    std::function<std::optional<JetRow>()> nextRow;
};

// Damage written on request, to test how a reader copes.
enum class JetDamage {
    None,
    CutShort, // the file ends in the middle of the last page holding the given
              // tables' rows (pages after it are lost too)
    // The first long-value chain of two links or more:
    ChainToMissingPage, // its first link points past the end of the file
    ChainToWrongRow,    // its first link points to a row the next page does not have
    ChainLoop,          // its last link points back to its first
    ChainEndsEarly,     // its last but one link ends it, short of the value's length
    CatalogPage,        // the catalog's data page is overwritten with noise
    CatalogUsageMap,    // the catalog's page map is a record of length 0
};

struct JetFileOptions {
    // The database password (up to 20 characters), masked in the header as Jet 4 does.
    QString password;
    // Every page but the header RC4-encoded with the header's database key.
    bool encodePages = false;
    std::uint32_t databaseKey = 0x5A17C0DE; // used when encodePages
    // The creation date in the header (days since 1899-12-30); it also masks the password.
    double creationDate = 45000.5;
    std::uint16_t codePage = 1251;
    std::uint16_t sortOrder = 0x0419; // Russian
    UsageMapKind usageMap = UsageMapKind::Auto;
    LongValuePlacement longValues = LongValuePlacement::Auto;
    // The most value bytes one page of a chain carries (0: as many as fit), so that short
    // values can make long chains.
    std::size_t chainPieceSize = 0;
    JetDamage damage = JetDamage::None;
};

// What was written, for tests that check a layout was really used.
struct JetFileLayout {
    std::uint32_t pageCount = 0;
    std::uint32_t dataPages = 0; // pages holding the given tables' rows
    std::uint32_t longValuePages = 0;
    std::uint32_t usageMapPages = 0; // type 0x05 pages
    std::uint32_t inlineValues = 0;  // long values stored in their rows
    std::uint32_t singlePageValues = 0;
    std::uint32_t chainedValues = 0;
};

class JetWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the tables (MSysObjects is added) to path, replacing any file there. Throws
// JetWriteError for a value that does not fit its column or placement, or a failed write,
// and leaves no file behind then.
JetFileLayout writeJetFile(const QString& path, const std::vector<JetTableSpec>& tables,
                           const JetFileOptions& options = {});

// The record table of the Windows program with the given column types, and its password
// table, as the tests' usual starting point; rows are added by the caller.
// Columns in order: Dat, Imya_vetok, Opisanie, Texty (Memo), File (OleObject),
// RashirenieFile. Tab_Parol has one Text column, Parol, and no rows.
struct RecordTableTypes {
    JetType dat = JetType::DateTime;     // DateTime or Text
    JetType description = JetType::Text; // Opisanie: Text or Memo
    JetType extension = JetType::Long;   // Byte, Integer or Long
    bool compressedUnicode = true;       // for Imya_vetok, Opisanie, Texty
};
JetTableSpec recordTable(const RecordTableTypes& types = {});
JetTableSpec passwordTable();

} // namespace jetfile
