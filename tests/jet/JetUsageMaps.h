#pragma once

// A table's maps of pages: which pages hold its rows (the usage map) and which of them have
// room (the free-space map, left empty: the files are written once, never added to).

#include "JetFileWriter.h"
#include "JetPageFile.h"

#include <vector>

namespace jetfile {

struct MapRecords {
    QByteArray usage;
    QByteArray freeSpace;
};

// The two map records of a table whose data pages (ascending) are given; for MapPages, the
// bitmap pages are allocated and written to file.
MapRecords mapRecords(const std::vector<std::uint32_t>& dataPages, UsageMapKind kind,
                      JetPageFile& file, JetFileLayout& layout);

} // namespace jetfile
