#pragma once

// How a table's columns are laid out in its definition page and in its rows: fixed-size
// columns at fixed offsets, variable ones (Text, Memo, OLE Object) after them, found through
// an offset table at the row's end, and a mask of the values that are not NULL.

#include "JetFileWriter.h"

#include <functional>

namespace jetfile {

struct ColumnFormat {
    JetColumn column;
    int number = 0; // position in the table, and bit in the null mask
    bool fixed = false;
    int fixedOffset = 0; // fixed: where the value starts after the row's column count
    int fixedSize = 0;
    int variableIndex = 0; // variable: its entry in the row's offset table
};

// Stores a long value outside the row and returns the 12-byte header the row keeps.
using LongValueOutside = std::function<QByteArray(const JetLongValue&, LongValuePlacement)>;

class TableFormat {
public:
    explicit TableFormat(const std::vector<JetColumn>& columns);

    const std::vector<ColumnFormat>& columns() const { return columns_; }
    int variableCount() const { return variableCount_; }

    // The row's bytes. Long values go in the row, or to outside, by the placement asked
    // for (a value's own placement first, then defaultPlacement). Throws JetWriteError for
    // a cell that does not fit its column.
    QByteArray encodeRow(const JetRow& row, LongValuePlacement defaultPlacement,
                         const LongValueOutside& outside, JetFileLayout& layout) const;

    // The table definition page. usageMap and freeMap are page << 8 | row of the maps.
    QByteArray definitionPage(bool systemTable, std::uint32_t rowCount, std::uint32_t usageMap,
                              std::uint32_t freeMap, std::uint16_t sortOrder) const;

private:
    std::vector<ColumnFormat> columns_;
    int fixedAreaSize_ = 0;
    int variableCount_ = 0;
};

} // namespace jetfile
