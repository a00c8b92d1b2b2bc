#pragma once

#include <QString>
#include <cstdint>

// Benchmark bases of the record store, generated once and kept on disk.
namespace bench_data {

// The path of a base with that many records: names of 5-40 characters, descriptions of up to
// 500 bytes, texts of up to 5 KB (Cyrillic and Latin words), one record in ten with an
// attachment of 100 KB-5 MB, most near the low end (about 2 GiB for 100 000 records).
// Made on first use under the benchmark data folder ($QUORLENT_BENCH_DATA, or
// record_store_data beside the program).
QString baseWithRecords(int records);

// A small base with no records, for the cost of opening alone.
QString emptyBase();

// The UTF-8 bytes of the text columns of every record, read from the base.
std::int64_t textPayloadBytes(const QString& path);

} // namespace bench_data
