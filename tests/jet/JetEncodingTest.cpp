// The small encodings against hand-written bytes: compressed Unicode, dates, the header
// page's masked password.

#include "JetEncoding.h"

#include "JetFileWriter.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace jetfile;

TEST(JetEncoding, TextIsCompressedOnlyWhenShorterAndUnambiguous) {
    struct Case {
        QString text;
        bool allow;
        const char* stored;
    };
    const Case cases[] = {
        {"abc", true, "fffe616263"},
        {"abc", false, "610062006300"},
        // Runs switch with a 00 byte; a compressed text starts with one-byte characters.
        {u"Дом house"_qs, true,
         "fffe00"
         "14043e043c04"
         "00"
         "20686f757365"},
        // Switching back and forth would make it longer than UTF-16.
        {u"Дом и сад"_qs, true,
         "14043e043c0420003804200041043004340"
         "4"},
        // A character whose low byte is 00 would read as a switch: never compressed; the
        // low surrogate of 😀 (DE00) is one.
        {u"a\u0100b"_qs, true, "610000016200"},
        {u"😀 smile"_qs, true, "3dd800de200073006d0069006c006500"},
        {"", true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encodeText(c.text, c.allow).toHex(), QByteArray(c.stored))
            << c.text.toStdString();
        EXPECT_EQ(decodeText(encodeText(c.text, c.allow)), c.text) << c.text.toStdString();
    }
}

TEST(JetEncoding, MemoIsCompressedUpTo1024Characters) {
    EXPECT_EQ(memoBytes(QString(1024, 'x'), true).size(), 2 + 1024);
    EXPECT_EQ(memoBytes(QString(1025, 'x'), true).size(), 2 * 1025);
}

TEST(JetEncoding, DatesCountDaysSince1899WithTheTimeAsFraction) {
    EXPECT_DOUBLE_EQ(daysSince1899(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_DOUBLE_EQ(daysSince1899(QDateTime(QDate(1900, 1, 1), QTime(18, 0))), 2.75);
    EXPECT_DOUBLE_EQ(daysSince1899(QDateTime(QDate(2024, 2, 29), QTime(6, 0))), 45351.25);
    EXPECT_DOUBLE_EQ(daysSince1899(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
}

TEST(JetEncoding, HeaderHidesThePasswordAndReadsBack) {
    HeaderFields fields;
    fields.codePage = 1251;
    fields.databaseKey = 0x12345678;
    fields.sortOrder = 0x0419;
    fields.creationDate = 45351.25;
    fields.password = "qmtrevolk";
    const QByteArray page = headerPage(fields);

    ASSERT_EQ(page.size(), kPageSize);
    EXPECT_EQ(page.left(0x18).toHex(), QByteArray("00010000"
                                                  "5374616e64617264204a6574204442"
                                                  "00"
                                                  "01000000"));
    EXPECT_FALSE(page.contains("q\0m\0t\0r"));
    // Under the header's fixed RC4 key, the password is XOR-ed with the creation date's
    // whole days (45351 = 0x0000B127) repeated.
    QByteArray region = page.mid(0x18, 128);
    rc4(QByteArray::fromHex("c7da396b"), region.data(), region.size());
    const QByteArray masked = region.mid(0x42 - 0x18, 40);
    const QByteArray mask = QByteArray::fromHex("27b10000");
    QByteArray plain;
    for (int i = 0; i < masked.size(); ++i)
        plain.append(static_cast<char>(masked[i] ^ mask[i % 4]));
    EXPECT_EQ(plain, QByteArray("q\0m\0t\0r\0e\0v\0o\0l\0k\0", 18) + QByteArray(22, '\0'));
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(region.constData() + 0x3E - 0x18), 0x12345678u);

    const HeaderFields back = readHeaderPage(page);
    EXPECT_EQ(back.password, fields.password);
    EXPECT_EQ(back.databaseKey, fields.databaseKey);
    EXPECT_EQ(back.codePage, fields.codePage);
    EXPECT_EQ(back.sortOrder, fields.sortOrder);
    EXPECT_EQ(back.creationDate, fields.creationDate);
}

TEST(JetEncoding, Rc4MatchesAPublishedVector) {
    // RFC 6229's first vector: key 01 02 03 04 05, keystream from offset 0.
    QByteArray data(16, '\0');
    rc4(QByteArray::fromHex("0102030405"), data.data(), data.size());
    EXPECT_EQ(data.toHex(), QByteArray("b2396305f03dc027ccc3524a0a1118a8"));
}
