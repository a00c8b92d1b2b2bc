#include "ReadBackExpect.h"

#include "JetEncoding.h"
#include "JetFileCheck.h"
#include "JetLongValues.h"
#include "MdbReadBack.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace jetfile;

namespace {

QByteArray longBytes(const JetColumn& column, const JetCell& cell) {
    if (const QString* text = std::get_if<QString>(&cell))
        return memoBytes(*text, column.compressedUnicode);
    if (const QByteArray* bytes = std::get_if<QByteArray>(&cell))
        return *bytes;
    return longValueBytes(std::get<JetLongValue>(cell));
}

template <typename T> QByteArray little(T value) {
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian<T>(value, bytes.data());
    return bytes;
}

QByteArray storedBytes(const JetColumn& column, const JetCell& cell) {
    switch (column.type) {
    case JetType::Boolean:
        return QByteArray(1, std::get<bool>(cell) ? '\1' : '\0');
    case JetType::Byte:
        return QByteArray(1, static_cast<char>(std::get<qint64>(cell)));
    case JetType::Integer:
        return little<std::int16_t>(static_cast<std::int16_t>(std::get<qint64>(cell)));
    case JetType::Long:
        return little<std::int32_t>(static_cast<std::int32_t>(std::get<qint64>(cell)));
    case JetType::Double:
    case JetType::DateTime:
        if (const QDateTime* when = std::get_if<QDateTime>(&cell))
            return little<double>(daysSince1899(*when));
        return little<double>(std::get<double>(cell));
    case JetType::Text:
        return encodeText(std::get<QString>(cell), column.compressedUnicode);
    case JetType::Memo:
    case JetType::OleObject:
        return longBytes(column, cell);
    }
    return {};
}

// What mdb-json prints for a value, or Undefined for a value it leaves out: NULLs, and
// empty texts too, which it cannot tell from NULLs (libmdb's bytes can).
QJsonValue jsonOf(const JetColumn& column, const JetCell& cell) {
    if (std::holds_alternative<std::monostate>(cell))
        return QJsonValue::Undefined;
    if (const QString* text = std::get_if<QString>(&cell); text && text->isEmpty())
        return QJsonValue::Undefined;
    if (const QByteArray* bytes = std::get_if<QByteArray>(&cell); bytes && bytes->isEmpty())
        return column.type == JetType::OleObject ? QJsonValue("") : QJsonValue::Undefined;
    switch (column.type) {
    case JetType::Boolean:
        return std::get<bool>(cell) ? 1 : 0;
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
        return static_cast<double>(std::get<qint64>(cell));
    case JetType::Double:
        return std::get<double>(cell);
    case JetType::DateTime:
        return std::get<QDateTime>(cell).toString("yyyy-MM-dd HH:mm:ss");
    case JetType::Text:
        return std::get<QString>(cell);
    case JetType::Memo:
        return decodeText(longBytes(column, cell));
    case JetType::OleObject:
        return QString::fromLatin1(longBytes(column, cell).toBase64());
    }
    return QJsonValue::Undefined;
}

QJsonValue printed(const QJsonObject& row, const JetColumn& column) {
    const QJsonValue value = row.value(column.name);
    if (column.type == JetType::OleObject && value.isObject())
        return value.toObject().value("$binary");
    return value;
}

// A value as JSON text, for readable failures; "[]" for one left out.
std::string shown(const QJsonValue& value) {
    QJsonArray wrapped;
    if (!value.isUndefined())
        wrapped.append(value);
    return QJsonDocument(wrapped).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace

void expectTableReadsBack(const QString& file, const JetTableSpec& spec) {
    const std::vector<QJsonObject> json = mdbJson(file, spec.name, {"-T", "%Y-%m-%d %H:%M:%S"});
    ASSERT_EQ(json.size(), spec.rows.size()) << "mdb-json rows of " << spec.name.toStdString();
    const MdbTable table = readWithLibmdb(file, spec.name);
    ASSERT_TRUE(table.opened) << spec.name.toStdString();
    ASSERT_EQ(table.declaredRows, spec.rows.size());
    ASSERT_EQ(table.rows.size(), spec.rows.size());
    for (std::size_t r = 0; r < spec.rows.size(); ++r) {
        for (std::size_t c = 0; c < spec.columns.size(); ++c) {
            const JetColumn& column = spec.columns[c];
            const JetCell& cell = spec.rows[r][c];
            const std::string where = spec.name.toStdString() + " row " + std::to_string(r) + " " +
                                      column.name.toStdString();
            EXPECT_EQ(shown(printed(json[r], column)), shown(jsonOf(column, cell))) << where;

            const MdbCell& read = table.rows[r][c];
            const bool null =
                std::holds_alternative<std::monostate>(cell) && column.type != JetType::Boolean;
            ASSERT_EQ(read.null, null) << where;
            if (null)
                continue;
            const QByteArray expected = storedBytes(column, cell);
            EXPECT_EQ(read.bytes.toHex(), expected.toHex()) << where;
            if (column.type == JetType::Memo || column.type == JetType::OleObject) {
                EXPECT_EQ(read.declared, static_cast<std::uint64_t>(expected.size())) << where;
                EXPECT_EQ(read.read, read.declared) << where;
            }
        }
    }
}
