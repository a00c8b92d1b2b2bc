#include "platform/SfntTables.h"

#include <QtEndian>
#include <bit>

namespace platform {
namespace {

constexpr qsizetype kHeaderSize = 12;
constexpr qsizetype kEntrySize = 16;
constexpr qsizetype kHeadChecksumAdjustment = 8;

quint32 checksumOf(const QByteArray& bytes) {
    quint32 sum = 0;
    for (qsizetype at = 0; at < bytes.size(); at += 4) {
        quint32 word = 0;
        for (qsizetype i = 0; i < 4; ++i) {
            const quint8 byte = at + i < bytes.size() ? quint8(bytes[at + i]) : 0;
            word = (word << 8) | byte;
        }
        sum += word;
    }
    return sum;
}

} // namespace

std::optional<SfntTables> readSfntTables(const QByteArray& font) {
    if (font.size() < kHeaderSize) {
        return std::nullopt;
    }
    const quint32 version = qFromBigEndian<quint32>(font.constData());
    if (version != 0x00010000 && version != 0x74727565) { // 1.0 or 'true'
        return std::nullopt;
    }
    const int count = qFromBigEndian<quint16>(font.constData() + 4);
    if (kHeaderSize + kEntrySize * count > font.size()) {
        return std::nullopt;
    }
    SfntTables tables;
    for (int i = 0; i < count; ++i) {
        const char* entry = font.constData() + kHeaderSize + kEntrySize * i;
        const quint32 offset = qFromBigEndian<quint32>(entry + 8);
        const quint32 length = qFromBigEndian<quint32>(entry + 12);
        if (qint64(offset) + qint64(length) > font.size()) {
            return std::nullopt;
        }
        tables[QByteArray(entry, 4)] = font.mid(offset, length);
    }
    return tables;
}

QByteArray writeSfntTables(SfntTables tables) {
    const auto head = tables.find("head");
    if (head != tables.end() && head->second.size() >= kHeadChecksumAdjustment + 4) {
        qToBigEndian<quint32>(0, head->second.data() + kHeadChecksumAdjustment);
    }
    const quint16 count = quint16(tables.size());
    const quint16 entrySelector = count == 0 ? 0 : quint16(std::bit_width(count) - 1);
    const quint16 searchRange = quint16((1u << entrySelector) * kEntrySize);

    QByteArray out;
    appendBigEndian<quint32>(out, 0x00010000);
    appendBigEndian<quint16>(out, count);
    appendBigEndian<quint16>(out, searchRange);
    appendBigEndian<quint16>(out, entrySelector);
    appendBigEndian<quint16>(out, quint16(count * kEntrySize - searchRange));

    qsizetype offset = kHeaderSize + kEntrySize * count;
    for (const auto& [tag, bytes] : tables) { // std::map keeps the tags sorted
        out.append(tag.leftJustified(4, ' ', true));
        appendBigEndian<quint32>(out, checksumOf(bytes));
        appendBigEndian<quint32>(out, quint32(offset));
        appendBigEndian<quint32>(out, quint32(bytes.size()));
        offset += (bytes.size() + 3) / 4 * 4;
    }
    qsizetype headAt = -1;
    for (const auto& [tag, bytes] : tables) {
        if (tag == "head") {
            headAt = out.size();
        }
        out.append(bytes);
        out.append((4 - bytes.size() % 4) % 4, '\0');
    }
    if (head != tables.end() && headAt >= 0 && head->second.size() >= kHeadChecksumAdjustment + 4) {
        qToBigEndian<quint32>(0xB1B0AFBA - checksumOf(out),
                              out.data() + headAt + kHeadChecksumAdjustment);
    }
    return out;
}

} // namespace platform
