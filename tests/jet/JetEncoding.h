#pragma once

// The small encodings of a Jet 4 file: RC4 page encoding, text in UTF-16 or compressed
// Unicode, dates as days since 1899-12-30, and the header page with its masked password.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace jetfile {

inline constexpr int kPageSize = 4096;

// RC4 with a 4-byte key, applied in place (encoding and decoding are the same).
void rc4(const QByteArray& key, char* data, qsizetype length);
// The key a page other than the header is encoded with: the database key XOR the page
// number, as 4 little-endian bytes.
QByteArray pageKey(std::uint32_t databaseKey, std::uint32_t page);

// Text as stored: UTF-16LE, or, when allowed and shorter, compressed Unicode (FF FE, then
// runs of one-byte characters and of two-byte characters switched by a 00 byte). A text
// holding a character whose low byte is 00 is never compressed: a reader would take that
// byte for a switch.
QByteArray encodeText(const QString& text, bool allowCompression);
// The reverse of encodeText, for checking stored bytes.
QString decodeText(const QByteArray& stored);

// Days since 1899-12-30 with the time of day as the fraction, as Access stores a date.
double daysSince1899(const QDateTime& dateTime);

struct HeaderFields {
    int jetVersion = 1; // 1: Jet 4
    std::uint16_t codePage = 0;
    std::uint32_t databaseKey = 0;
    std::uint16_t sortOrder = 0;
    double creationDate = 0;
    QString password;
};

// The header page (page 0): magic, "Standard Jet DB", the version, and the fields above in
// the RC4-encoded region, the password masked with the creation date's whole days.
QByteArray headerPage(const HeaderFields& fields);
// Reads the fields back from a header page as stored in a file. Throws JetWriteError when
// the page is not a Jet header.
HeaderFields readHeaderPage(const QByteArray& page);

} // namespace jetfile
