#pragma once

// Reads a table back through libmdb (mdbtools), the library the import uses: rows as libmdb
// finds them through the table's page map, each value's stored bytes as libmdb cracks them
// out of the row, long values through mdb_ole_read / mdb_ole_read_next link by link.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

struct MdbCell {
    bool null = true;
    // Fixed-size values and texts: the stored bytes (a Boolean: one byte, 0 or 1). Long
    // values: the bytes read, when no more than MdbReadOptions::keepUpTo.
    QByteArray bytes;
    // Long values: the 12-byte header the row holds, the length it declares, how many
    // bytes the links gave, and their SHA-1.
    QByteArray header;
    std::uint64_t declared = 0;
    std::uint64_t read = 0;
    QByteArray sha1;
};

struct MdbTable {
    bool opened = false;
    std::vector<QString> columns;
    std::uint32_t declaredRows = 0; // the table definition's count
    std::vector<std::vector<MdbCell>> rows;
};

struct MdbReadOptions {
    std::uint64_t keepUpTo = 64 << 20;
};

// Reading stops following a long value's links once they gave more than it declares (a loop).
MdbTable readWithLibmdb(const QString& file, const QString& table,
                        const MdbReadOptions& options = {});
