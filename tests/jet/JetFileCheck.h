#pragma once

// What the tests look at a Jet file with: mdbtools' command-line programs run as child
// processes, and a reader of the few structures the writer and Access must agree on (the
// header, a table definition page, a row of a data page), decoding RC4-encoded pages.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

struct ToolRun {
    bool crashed = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
ToolRun runTool(const QString& program, const QStringList& arguments);

// mdb-tables -1: the user tables' names.
QStringList mdbTables(const QString& file);
// mdb-json: one object per row.
std::vector<QJsonObject> mdbJson(const QString& file, const QString& table,
                                 const QStringList& options = {});
// mdb-export with long binary values in hex and dates as yyyy-MM-dd HH:mm:ss.
ToolRun mdbExportHex(const QString& file, const QString& table);

// A page as its owner wrote it: decoded when the file's header has a database key.
QByteArray filePage(const QString& file, std::uint32_t page);

struct ColumnEntry {
    QString name;
    int type = 0;
    int number = 0;
    int variableIndex = 0;
    int flags = 0;
    int miscFlags = 0;
    int fixedOffset = 0;
    int length = 0;
};
struct TableDefinition {
    int pageType = 0;
    int tableType = 0;
    std::uint32_t rows = 0;
    int variableColumns = 0;
    std::uint32_t usageMap = 0;
    std::uint32_t freeMap = 0;
    std::vector<ColumnEntry> columns;
    const ColumnEntry* column(const QString& name) const;
};
// A table definition that fits its first page and has no indexes, or whose indexes come
// after the columns (Access's system tables).
TableDefinition parseDefinition(const QByteArray& page);
// The bytes of row `row` of a data page.
QByteArray pageRow(const QByteArray& page, int row);
