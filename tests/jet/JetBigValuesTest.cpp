// The big values (a 300 MB attachment, a 20 MB text), written and read back whole. They
// take seconds and hundreds of megabytes of disk, so they run only when asked for:
// QUORLENT_JET_BIG_TESTS=1.

#include "JetFileWriter.h"
#include "MdbReadBack.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace jetfile;

namespace {

const JetCell null = std::monostate{};

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class JetBigValues : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariable("QUORLENT_JET_BIG_TESTS") != "1")
            GTEST_SKIP() << "set QUORLENT_JET_BIG_TESTS=1 to write and read 300 MB";
    }
};

} // namespace

TEST_F(JetBigValues, AttachmentOf300MegabytesStreamsThroughAFixedBuffer) {
    constexpr std::uint64_t size = 300ull << 20;
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorlent.mdb");
    JetTableSpec records = recordTable();
    records.rows = {{null, u"До"_qs, null, null, QByteArray("small", 5), qint64(3)},
                    {null, u"Большое вложение"_qs, null, null, patternValue(size, 300), qint64(1)}};
    for (int i = 0; i < 300; ++i)
        records.rows.push_back({null, QString(u"После %1"_qs).arg(i), null, null, null, null});

    const long before = peakResidentKilobytes();
    const JetFileLayout written = writeJetFile(path, {records});
    EXPECT_LT(peakResidentKilobytes() - before, 32 * 1024);
    // The rows' pages lie on either side of the chain's 77,000 pages: two bitmap pages, for
    // pages 0 to 32,735 and for 65,472 on.
    EXPECT_EQ(written.usageMapPages, 2u);

    QCryptographicHash expected(QCryptographicHash::Sha1);
    for (std::uint64_t offset = 0; offset < size; offset += 1 << 20)
        expected.addData(patternBytes(offset, 1 << 20, 300));
    MdbReadOptions options;
    options.keepUpTo = 0;
    const MdbTable table = readWithLibmdb(path, records.name, options);
    ASSERT_EQ(table.rows.size(), 302u);
    EXPECT_EQ(table.rows[1][4].declared, size);
    EXPECT_EQ(table.rows[1][4].read, size);
    EXPECT_EQ(table.rows[1][4].sha1, expected.result());
}

TEST_F(JetBigValues, TextOf20MegabytesReadsBackExact) {
    QString text;
    for (int i = 0; text.size() < 10'000'000; ++i)
        text += QString(u"Строка %1: ветка, её описание и текст.\r\n"_qs).arg(i);
    text.truncate(10'000'000);
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorlent.mdb");
    JetTableSpec records = recordTable();
    records.rows = {{null, u"Длинный текст"_qs, null, text, null, null}};
    writeJetFile(path, {records});

    const MdbTable table = readWithLibmdb(path, records.name);
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_EQ(table.rows[0][3].declared, 20'000'000u);
    EXPECT_EQ(table.rows[0][3].bytes, memoBytes(text, true));
}
