#pragma once

#include <QByteArray>
#include <QtEndian>
#include <map>
#include <optional>

namespace platform {

// The tables of a TrueType font file by their four-letter tags, in the form the file
// stores them. Reading checks only that every table lies inside the file; the tables'
// contents are for the caller to check.
using SfntTables = std::map<QByteArray, QByteArray>;

// The tables of `font`, or nothing when it is not a TrueType file or a table lies outside it.
std::optional<SfntTables> readSfntTables(const QByteArray& font);

// A TrueType file holding `tables`, with its directory sorted by tag, every table aligned
// to four bytes, and the checksums (the whole file's in 'head' too) made anew.
QByteArray writeSfntTables(SfntTables tables);

// Appends a number the way font tables store every number: big-endian.
template <typename Number> void appendBigEndian(QByteArray& out, Number value) {
    char bytes[sizeof(Number)];
    qToBigEndian(value, bytes);
    out.append(bytes, sizeof(Number));
}

} // namespace platform
