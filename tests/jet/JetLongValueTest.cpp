// Long values at the sizes the import meets, read back by mdb-export and libmdb; and the
// values and options the writer refuses.

#include "JetFileCheck.h"
#include "JetFileWriter.h"
#include "MdbReadBack.h"
#include "ReadBackExpect.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace jetfile;

namespace {

const JetCell null = std::monostate{};

QByteArray sha1(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

} // namespace

TEST(JetLongValues, AttachmentsOfTwoMegabytesReadBackByteForByte) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorlent.mdb");
    // One from a generator, one from a file, as an import test or a benchmark gives them.
    const QByteArray photo = patternBytes(0, 2 << 20, 11);
    const QString photoFile = dir.filePath("photo.jpg");
    {
        QFile out(photoFile);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(photo);
    }
    JetTableSpec records = recordTable();
    records.rows = {{null, u"Генератор"_qs, null, null, patternValue(2 << 20, 12), qint64(1)},
                    {null, u"Файл"_qs, null, null, longValueFromFile(photoFile), qint64(0)}};
    const JetFileLayout written = writeJetFile(path, {records});
    EXPECT_EQ(written.chainedValues, 2u);
    EXPECT_GE(written.longValuePages, 2u * (2 << 20) / 4076);

    const ToolRun exported = mdbExportHex(path, records.name);
    ASSERT_EQ(exported.exitCode, 0) << exported.err.constData();
    const QRegularExpression hexValue("\"([0-9A-F]{1000,})\"");
    std::vector<QByteArray> values;
    for (auto it = hexValue.globalMatch(QString::fromLatin1(exported.out)); it.hasNext();)
        values.push_back(QByteArray::fromHex(it.next().captured(1).toLatin1()));
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(sha1(values[0]), sha1(patternBytes(0, 2 << 20, 12)));
    EXPECT_EQ(sha1(values[1]), sha1(photo));

    const MdbTable table = readWithLibmdb(path, records.name);
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[1][4].declared, std::uint64_t(2 << 20));
    EXPECT_EQ(table.rows[1][4].sha1, sha1(photo));
}

TEST(JetLongValues, PlacementBoundariesHold) {
    // The biggest value one long-value page takes, one byte more in a chain, and a chain of
    // one-byte links.
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorlent.mdb");
    JetTableSpec records = recordTable();
    auto placed = [](QByteArray bytes, LongValuePlacement placement) {
        JetLongValue value = longValueOf(std::move(bytes));
        value.placement = placement;
        return value;
    };
    records.rows = {
        {null, u"a"_qs, null, null,
         placed(patternBytes(0, 4080, 1), LongValuePlacement::SinglePage), null},
        {null, u"b"_qs, null, null, placed(patternBytes(0, 4081, 2), LongValuePlacement::Chain),
         null},
        {null, u"c"_qs, null, placed(memoBytes(u"Дом"_qs, true), LongValuePlacement::Chain), null,
         null},
        {null, u"d"_qs, null, placed(memoBytes("short memo", true), LongValuePlacement::SinglePage),
         null, null},
    };
    JetFileOptions options;
    options.chainPieceSize = 1;
    const JetFileLayout written = writeJetFile(path, {records}, options);
    EXPECT_EQ(written.singlePageValues, 2u);
    EXPECT_EQ(written.chainedValues, 2u);
    // A page per link, and two shared pages: the 4080-byte value fills one on its own.
    EXPECT_EQ(written.longValuePages, 4081u + 6u + 2u);

    JetTableSpec expected = recordTable();
    expected.rows = {{null, u"a"_qs, null, null, patternBytes(0, 4080, 1), null},
                     {null, u"b"_qs, null, null, patternBytes(0, 4081, 2), null},
                     {null, u"c"_qs, null, u"Дом"_qs, null, null},
                     {null, u"d"_qs, null, u"short memo"_qs, null, null}};
    expectTableReadsBack(path, expected);
}

TEST(JetLongValues, WriterRefusesWhatAFileCannotHold) {
    QTemporaryDir dir;
    const QString path = dir.filePath("refused.mdb");
    auto withRow = [](JetRow row) {
        JetTableSpec table = recordTable();
        table.rows = {std::move(row)};
        return std::vector<JetTableSpec>{table};
    };
    auto oneValue = [](QByteArray bytes, LongValuePlacement placement) {
        JetLongValue value = longValueOf(std::move(bytes));
        value.placement = placement;
        return value;
    };
    JetFileOptions encodedWithoutKey;
    encodedWithoutKey.encodePages = true;
    encodedWithoutKey.databaseKey = 0;
    JetFileOptions damageWithoutChain;
    damageWithoutChain.damage = JetDamage::ChainToMissingPage;
    JetFileOptions longPassword;
    longPassword.password = QString(21, 'x');

    const struct {
        const char* what;
        std::vector<JetTableSpec> tables;
        JetFileOptions options;
    } cases[] = {
        {"a name longer than its column",
         withRow({null, QString(256, 'x'), null, null, null, null}),
         {}},
        {"a kind code out of the column's range",
         [] {
             JetTableSpec t = recordTable({JetType::DateTime, JetType::Text, JetType::Byte});
             t.rows = {{null, u"x"_qs, null, null, null, qint64(256)}};
             return std::vector<JetTableSpec>{t};
         }(),
         {}},
        {"a text where a number goes",
         withRow({null, u"x"_qs, null, null, null, QString("2")}),
         {}},
        {"a row missing a cell", withRow({null, u"x"_qs}), {}},
        {"a value too big for its row",
         withRow({null, u"x"_qs, null, null,
                  oneValue(QByteArray(4050, 'x'), LongValuePlacement::Inline), null}),
         {}},
        {"a value too big for one page",
         withRow({null, u"x"_qs, null, null,
                  oneValue(QByteArray(4081, 'x'), LongValuePlacement::SinglePage), null}),
         {}},
        {"a repeated table name", {recordTable(), recordTable()}, {}},
        {"encoded pages without a key", {recordTable()}, encodedWithoutKey},
        {"chain damage without a chain",
         withRow({null, u"x"_qs, null, null, QByteArray(10, 'x'), null}), damageWithoutChain},
        {"a password over 20 characters", {recordTable()}, longPassword},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(writeJetFile(path, c.tables, c.options), JetWriteError) << c.what;
        EXPECT_FALSE(QFile::exists(path)) << c.what;
    }
}
