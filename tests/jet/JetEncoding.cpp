#include "JetEncoding.h"

#include "JetFileWriter.h"

#include <QtEndian>
#include <array>
#include <cstring>

namespace jetfile {
namespace {

// The region of the header that is RC4-encoded with a fixed key, and the fields in it.
constexpr int kHeaderRegion = 0x18;
constexpr int kHeaderRegionLength = 128;
constexpr int kVersionOffset = 0x14;
constexpr int kCodePageOffset = 0x3C;
constexpr int kDatabaseKeyOffset = 0x3E;
constexpr int kPasswordOffset = 0x42;
constexpr int kPasswordLength = 40; // 20 UTF-16 units
constexpr int kSortOrderOffset = 0x6E;
constexpr int kCreationDateOffset = 0x72;
constexpr char kFormatName[] = "Standard Jet DB";

QByteArray headerRegionKey() {
    return QByteArray("\xC7\xDA\x39\x6B", 4);
}

// The 4 bytes the password is XOR-ed with, repeated: the whole days of the creation date
// as a little-endian 32-bit integer.
std::array<char, 4> passwordMask(double creationDate) {
    std::array<char, 4> mask{};
    qToLittleEndian<std::int32_t>(static_cast<std::int32_t>(creationDate), mask.data());
    return mask;
}

bool compressible(const QString& text) {
    for (QChar c : text)
        if ((c.unicode() & 0xFF) == 0)
            return false;
    return true;
}

} // namespace

void rc4(const QByteArray& key, char* data, qsizetype length) {
    std::array<std::uint8_t, 256> state{};
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + state[i] +
                                      static_cast<std::uint8_t>(key[i % key.size()]));
        std::swap(state[i], state[j]);
    }
    std::uint8_t x = 0;
    std::uint8_t y = 0;
    for (qsizetype n = 0; n < length; ++n) {
        x = static_cast<std::uint8_t>(x + 1);
        y = static_cast<std::uint8_t>(y + state[x]);
        std::swap(state[x], state[y]);
        data[n] = static_cast<char>(static_cast<std::uint8_t>(data[n]) ^
                                    state[static_cast<std::uint8_t>(state[x] + state[y])]);
    }
}

QByteArray pageKey(std::uint32_t databaseKey, std::uint32_t page) {
    QByteArray key(4, '\0');
    qToLittleEndian<std::uint32_t>(databaseKey ^ page, key.data());
    return key;
}

QByteArray encodeText(const QString& text, bool allowCompression) {
    QByteArray wide(text.size() * 2, '\0');
    qToLittleEndian<char16_t>(text.utf16(), text.size(), wide.data());
    if (!allowCompression || text.isEmpty() || !compressible(text))
        return wide;

    QByteArray packed("\xFF\xFE", 2);
    bool oneByteRun = true; // a compressed text starts with one-byte characters
    for (QChar c : text) {
        const bool narrow = c.unicode() < 0x100;
        if (narrow != oneByteRun) {
            packed.append('\0');
            oneByteRun = narrow;
        }
        if (narrow) {
            packed.append(static_cast<char>(c.unicode()));
        } else {
            packed.append(static_cast<char>(c.unicode() & 0xFF));
            packed.append(static_cast<char>(c.unicode() >> 8));
        }
    }
    return packed.size() < wide.size() ? packed : wide;
}

QString decodeText(const QByteArray& stored) {
    QString text;
    if (stored.size() >= 2 && static_cast<std::uint8_t>(stored[0]) == 0xFF &&
        static_cast<std::uint8_t>(stored[1]) == 0xFE) {
        bool oneByteRun = true;
        for (qsizetype i = 2; i < stored.size();) {
            if (stored[i] == '\0') {
                oneByteRun = !oneByteRun;
                ++i;
            } else if (oneByteRun) {
                text.append(QChar(static_cast<std::uint8_t>(stored[i])));
                ++i;
            } else if (i + 1 < stored.size()) {
                text.append(QChar(qFromLittleEndian<char16_t>(stored.constData() + i)));
                i += 2;
            } else {
                break;
            }
        }
        return text;
    }
    for (qsizetype i = 0; i + 1 < stored.size(); i += 2)
        text.append(QChar(qFromLittleEndian<char16_t>(stored.constData() + i)));
    return text;
}

double daysSince1899(const QDateTime& dateTime) {
    const qint64 days = QDate(1899, 12, 30).daysTo(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86'400'000.0;
    // Before the epoch the fraction counts away from zero, as Access stores it.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

QByteArray headerPage(const HeaderFields& fields) {
    if (fields.password.size() * 2 > kPasswordLength)
        throw JetWriteError("a database password has at most 20 characters");
    QByteArray page(kPageSize, '\0');
    char* p = page.data();
    p[1] = 0x01;
    std::memcpy(p + 4, kFormatName, sizeof kFormatName);
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(fields.jetVersion),
                                   p + kVersionOffset);

    qToLittleEndian<std::uint16_t>(fields.codePage, p + kCodePageOffset);
    qToLittleEndian<std::uint32_t>(fields.databaseKey, p + kDatabaseKeyOffset);
    qToLittleEndian<char16_t>(fields.password.utf16(), fields.password.size(), p + kPasswordOffset);
    const auto mask = passwordMask(fields.creationDate);
    for (int i = 0; i < kPasswordLength; ++i)
        p[kPasswordOffset + i] = static_cast<char>(p[kPasswordOffset + i] ^ mask[i % 4]);
    qToLittleEndian<std::uint16_t>(fields.sortOrder, p + kSortOrderOffset);
    qToLittleEndian<double>(fields.creationDate, p + kCreationDateOffset);

    rc4(headerRegionKey(), p + kHeaderRegion, kHeaderRegionLength);
    return page;
}

HeaderFields readHeaderPage(const QByteArray& stored) {
    if (stored.size() < kPageSize || stored[0] != '\0' ||
        std::memcmp(stored.constData() + 4, kFormatName, sizeof kFormatName) != 0)
        throw JetWriteError("not a Jet header page");
    QByteArray page = stored.left(kPageSize);
    char* p = page.data();
    rc4(headerRegionKey(), p + kHeaderRegion, kHeaderRegionLength);

    HeaderFields fields;
    fields.jetVersion = static_cast<int>(qFromLittleEndian<std::uint32_t>(p + kVersionOffset));
    fields.codePage = qFromLittleEndian<std::uint16_t>(p + kCodePageOffset);
    fields.databaseKey = qFromLittleEndian<std::uint32_t>(p + kDatabaseKeyOffset);
    fields.sortOrder = qFromLittleEndian<std::uint16_t>(p + kSortOrderOffset);
    fields.creationDate = qFromLittleEndian<double>(p + kCreationDateOffset);
    const auto mask = passwordMask(fields.creationDate);
    for (int i = 0; i + 1 < kPasswordLength; i += 2) {
        const char16_t unit = static_cast<char16_t>(
            static_cast<std::uint8_t>(p[kPasswordOffset + i] ^ mask[i % 4]) |
            static_cast<std::uint8_t>(p[kPasswordOffset + i + 1] ^ mask[(i + 1) % 4]) << 8);
        if (unit == 0)
            break;
        fields.password.append(QChar(unit));
    }
    return fields;
}

} // namespace jetfile
