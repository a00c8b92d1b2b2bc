#include "JetTableFormat.h"

#include "JetEncoding.h"
#include "JetLongValues.h"
#include "JetPageFile.h"

#include <QtEndian>
#include <limits>

namespace jetfile {
namespace {

constexpr int kColumnEntrySize = 25;
constexpr int kColumnsStart = 63;
constexpr std::uint8_t kFixedFlags = 0x13;    // fixed size, may be NULL, updatable
constexpr std::uint8_t kVariableFlags = 0x12; // may be NULL, updatable
constexpr std::uint8_t kCompressedUnicode = 0x01;

int fixedSizeOf(JetType type) {
    switch (type) {
    case JetType::Boolean:
        return 0; // the value is the null mask's bit
    case JetType::Byte:
        return 1;
    case JetType::Integer:
        return 2;
    case JetType::Long:
        return 4;
    case JetType::Double:
    case JetType::DateTime:
        return 8;
    default:
        return -1;
    }
}

bool isLong(JetType type) {
    return type == JetType::Memo || type == JetType::OleObject;
}
bool isTextual(JetType type) {
    return type == JetType::Text || type == JetType::Memo;
}

std::string nameOf(const ColumnFormat& c) {
    return c.column.name.toStdString();
}

[[noreturn]] void refuse(const ColumnFormat& c, const std::string& why) {
    throw JetWriteError("column " + nameOf(c) + ": " + why);
}

qint64 integerCell(const ColumnFormat& c, const JetCell& cell, qint64 low, qint64 high) {
    const qint64* value = std::get_if<qint64>(&cell);
    if (!value)
        refuse(c, "an integer type takes a qint64");
    if (*value < low || *value > high)
        refuse(c, "value " + std::to_string(*value) + " out of range");
    return *value;
}

void writeFixed(const ColumnFormat& c, const JetCell& cell, char* at) {
    switch (c.column.type) {
    case JetType::Byte:
        *at = static_cast<char>(integerCell(c, cell, 0, 255));
        break;
    case JetType::Integer:
        qToLittleEndian<std::int16_t>(
            static_cast<std::int16_t>(integerCell(c, cell, -32768, 32767)), at);
        break;
    case JetType::Long:
        qToLittleEndian<std::int32_t>(
            static_cast<std::int32_t>(integerCell(c, cell, std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max())),
            at);
        break;
    case JetType::Double:
    case JetType::DateTime:
        if (const double* days = std::get_if<double>(&cell))
            qToLittleEndian<double>(*days, at);
        else if (const QDateTime* when = std::get_if<QDateTime>(&cell);
                 when && c.column.type == JetType::DateTime)
            qToLittleEndian<double>(daysSince1899(*when), at);
        else
            refuse(c, "takes a double" +
                          std::string(c.column.type == JetType::DateTime ? " or a QDateTime" : ""));
        break;
    default:
        Q_UNREACHABLE();
    }
}

QByteArray textCell(const ColumnFormat& c, const JetCell& cell) {
    const QString* text = std::get_if<QString>(&cell);
    if (!text)
        refuse(c, "a Text column takes a QString");
    if (text->size() > c.column.maxLength)
        refuse(c,
               "text of " + std::to_string(text->size()) + " characters, longer than the column");
    return encodeText(*text, c.column.compressedUnicode);
}

JetLongValue longCell(const ColumnFormat& c, const JetCell& cell) {
    if (const JetLongValue* value = std::get_if<JetLongValue>(&cell))
        return *value;
    if (const QByteArray* bytes = std::get_if<QByteArray>(&cell))
        return longValueOf(*bytes);
    if (const QString* text = std::get_if<QString>(&cell); text && c.column.type == JetType::Memo)
        return longValueOf(memoBytes(*text, c.column.compressedUnicode));
    refuse(c, c.column.type == JetType::Memo
                  ? "a Memo column takes a QString, QByteArray or JetLongValue"
                  : "an OLE Object column takes a QByteArray or JetLongValue");
}

void appendLittle16(QByteArray& bytes, int value) {
    char two[2];
    qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(value), two);
    bytes.append(two, 2);
}

} // namespace

TableFormat::TableFormat(const std::vector<JetColumn>& columns) {
    if (columns.empty() || columns.size() > 255)
        throw JetWriteError("a table has 1 to 255 columns");
    int number = 0;
    for (const JetColumn& column : columns) {
        ColumnFormat c{column, number++};
        const int size = fixedSizeOf(column.type);
        c.fixed = size >= 0;
        if (c.fixed) {
            c.fixedOffset = fixedAreaSize_;
            c.fixedSize = size;
            fixedAreaSize_ += size;
        } else {
            c.variableIndex = variableCount_++;
        }
        if (column.type == JetType::Text && (column.maxLength < 1 || column.maxLength > 255))
            refuse(c, "a Text column holds 1 to 255 characters");
        columns_.push_back(c);
    }
}

QByteArray TableFormat::encodeRow(const JetRow& row, LongValuePlacement defaultPlacement,
                                  const LongValueOutside& outside, JetFileLayout& layout) const {
    if (row.size() != columns_.size())
        throw JetWriteError("a row has " + std::to_string(row.size()) + " cells for " +
                            std::to_string(columns_.size()) + " columns");
    const int columnCount = static_cast<int>(columns_.size());
    QByteArray nullMask((columnCount + 7) / 8, '\0');
    auto setPresent = [&](const ColumnFormat& c) {
        nullMask[c.number / 8] = static_cast<char>(nullMask[c.number / 8] | 1 << (c.number % 8));
    };

    QByteArray fixedArea(fixedAreaSize_, '\0');
    std::vector<QByteArray> variable(static_cast<std::size_t>(variableCount_));
    std::vector<const ColumnFormat*> longColumns;
    for (const ColumnFormat& c : columns_) {
        const JetCell& cell = row[static_cast<std::size_t>(c.number)];
        if (std::holds_alternative<std::monostate>(cell))
            continue;
        if (c.column.type == JetType::Boolean) {
            const bool* value = std::get_if<bool>(&cell);
            if (!value)
                refuse(c, "a Boolean column takes a bool");
            if (*value)
                setPresent(c);
            continue;
        }
        setPresent(c);
        if (c.fixed)
            writeFixed(c, cell, fixedArea.data() + c.fixedOffset);
        else if (isLong(c.column.type))
            longColumns.push_back(&c);
        else
            variable[static_cast<std::size_t>(c.variableIndex)] = textCell(c, cell);
    }

    // The row's size so far, with 12 bytes for each long value's header.
    auto rowSize = [&] {
        qsizetype size = 2 + fixedArea.size() + nullMask.size();
        if (variableCount_ > 0)
            size += 2 + 2 * variableCount_ + 2;
        for (const QByteArray& v : variable)
            size += v.size();
        return size;
    };
    for (const ColumnFormat* c : longColumns)
        variable[static_cast<std::size_t>(c->variableIndex)] = QByteArray(12, '\0');

    for (const ColumnFormat* c : longColumns) {
        const JetLongValue value = longCell(*c, row[static_cast<std::size_t>(c->number)]);
        LongValuePlacement placement = value.placement.value_or(defaultPlacement);
        const bool fitsRow = rowSize() + static_cast<qsizetype>(value.size) <= RowPage::kMaxRowSize;
        if (value.size == 0 || (placement == LongValuePlacement::Auto && fitsRow))
            placement = LongValuePlacement::Inline;
        else if (placement == LongValuePlacement::Auto)
            placement = value.size <= LongValueStore::kSinglePageCapacity
                            ? LongValuePlacement::SinglePage
                            : LongValuePlacement::Chain;
        QByteArray& stored = variable[static_cast<std::size_t>(c->variableIndex)];
        if (placement == LongValuePlacement::Inline) {
            if (!fitsRow)
                refuse(*c, "a value of " + std::to_string(value.size) +
                               " bytes does not fit in the row");
            stored = longValueHeader(value.size, placement, 0) + longValueBytes(value);
            ++layout.inlineValues;
        } else {
            stored = outside(value, placement);
        }
    }

    QByteArray bytes;
    appendLittle16(bytes, columnCount);
    bytes += fixedArea;
    if (variableCount_ > 0) {
        std::vector<int> offsets;
        for (const QByteArray& v : variable) {
            offsets.push_back(static_cast<int>(bytes.size()));
            bytes += v;
        }
        appendLittle16(bytes, static_cast<int>(bytes.size())); // end of the variable data
        for (auto it = offsets.rbegin(); it != offsets.rend(); ++it)
            appendLittle16(bytes, *it);
        appendLittle16(bytes, variableCount_);
    }
    bytes += nullMask;
    if (bytes.size() > RowPage::kMaxRowSize)
        throw JetWriteError("a row of " + std::to_string(bytes.size()) +
                            " bytes does not fit a page");
    return bytes;
}

QByteArray TableFormat::definitionPage(bool systemTable, std::uint32_t rowCount,
                                       std::uint32_t usageMap, std::uint32_t freeMap,
                                       std::uint16_t sortOrder) const {
    QByteArray page(kPageSize, '\0');
    char* p = page.data();
    p[0] = 0x02;
    p[1] = 0x01;
    qToLittleEndian<std::uint32_t>(rowCount, p + 16);
    p[40] = static_cast<char>(systemTable ? 0x53 : 0x4E);
    const auto columnCount = static_cast<std::uint16_t>(columns_.size());
    qToLittleEndian<std::uint16_t>(columnCount, p + 41); // the most columns a row has
    qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(variableCount_), p + 43);
    qToLittleEndian<std::uint16_t>(columnCount, p + 45);
    // No indexes: the counts at 47 and 51 stay 0.
    qToLittleEndian<std::uint32_t>(usageMap, p + 55);
    qToLittleEndian<std::uint32_t>(freeMap, p + 59);

    int at = kColumnsStart;
    for (const ColumnFormat& c : columns_) {
        char* e = p + at;
        e[0] = static_cast<char>(c.column.type);
        qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(c.number), e + 5);
        qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(c.fixed ? 0 : c.variableIndex),
                                       e + 7);
        qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(c.number), e + 9);
        if (isTextual(c.column.type))
            qToLittleEndian<std::uint16_t>(sortOrder, e + 11);
        e[15] = static_cast<char>(c.fixed ? kFixedFlags : kVariableFlags);
        if (isTextual(c.column.type) && c.column.compressedUnicode)
            e[16] = kCompressedUnicode;
        qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(c.fixedOffset), e + 21);
        const int length =
            c.column.type == JetType::Text ? 2 * c.column.maxLength : std::max(c.fixedSize, 0);
        qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(length), e + 23);
        at += kColumnEntrySize;
    }
    for (const ColumnFormat& c : columns_) {
        const QByteArray name = encodeText(c.column.name, false);
        if (at + 2 + name.size() + 2 > kPageSize)
            throw JetWriteError("the table's definition does not fit one page");
        qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(name.size()), p + at);
        std::copy(name.begin(), name.end(), page.begin() + at + 2);
        at += 2 + static_cast<int>(name.size());
    }
    // The list of long-value columns' own page maps, empty here, ends with FFFF.
    qToLittleEndian<std::uint16_t>(0xFFFF, p + at);
    at += 2;

    qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(kPageSize - at), p + 2);
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(at - 8), p + 8);
    return page;
}

} // namespace jetfile
