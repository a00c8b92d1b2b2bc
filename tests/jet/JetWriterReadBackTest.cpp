// Files the writer makes, read back by mdbtools: the tables listed, every value exact, in
// each layout the import must read.

#include "JetEncoding.h"
#include "JetFileCheck.h"
#include "JetFileWriter.h"
#include "MdbReadBack.h"
#include "ReadBackExpect.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace jetfile;

namespace {

const JetCell null = std::monostate{};

QString cyrillicText(int characters) {
    const QString words = u"Ветка дерева, её описание и текст; ЁЙ ёй. "_qs;
    QString text;
    while (text.size() < characters)
        text += words;
    return text.left(characters);
}

// The rows every layout is tried with: ordinary values, NULLs, empty values (not NULL), and
// values that need a long-value page or a chain when not kept in the row.
JetTableSpec sampleRecords(const RecordTableTypes& types) {
    JetTableSpec table = recordTable(types);
    auto date = [&](QDate day, QTime time) -> JetCell {
        if (types.dat == JetType::Text)
            return QDateTime(day, time).toString("dd.MM.yyyy");
        return QDateTime(day, time);
    };
    auto kind = [&](qint64 code) -> JetCell { return code; };
    table.rows = {
        {date(QDate(2024, 2, 29), QTime(6, 30)), u"Дом"_qs, u"Описание\r\nвторая строка"_qs,
         u"Текст заметки"_qs, QByteArray("\x01\x02\xff", 3), kind(2)},
        {null, u"Пусто"_qs, null, null, null, null},
        {date(QDate(1999, 12, 31), QTime(23, 59, 59)), QString(""), QString(""), QString(""),
         QByteArray(), kind(0)},
        {date(QDate(2010, 7, 1), QTime(0, 0)), u"Дом house"_qs, cyrillicText(255),
         cyrillicText(1900), patternBytes(0, 4000, 7), kind(3)},
        {date(QDate(2010, 7, 2), QTime(12, 0)), u"Ещё ветка"_qs, u"Мixed Ёлка"_qs,
         cyrillicText(20'000), patternBytes(0, 20'000, 9), kind(255)},
    };
    return table;
}

struct Layout {
    const char* name;
    RecordTableTypes types;
    JetFileOptions options;
};

JetFileOptions options(LongValuePlacement placement, UsageMapKind map, bool encode = false,
                       QString password = {}) {
    JetFileOptions o;
    o.longValues = placement;
    o.usageMap = map;
    o.encodePages = encode;
    o.password = std::move(password);
    return o;
}

} // namespace

TEST(JetWriterReadBack, RecordTableReadsBackExactInEveryLayout) {
    const Layout layouts[] = {
        {"dates, compressed texts, long values where they fit, one map",
         {JetType::DateTime, JetType::Text, JetType::Long, true},
         options(LongValuePlacement::Auto, UsageMapKind::Inline)},
        {"date as text, UTF-16, memo description, long values on pages, map pages, RC4, password",
         {JetType::Text, JetType::Memo, JetType::Integer, false},
         options(LongValuePlacement::Chain, UsageMapKind::MapPages, true, "qmtrevolk")},
        {"byte kind, every long value chained in short links, RC4",
         {JetType::DateTime, JetType::Memo, JetType::Byte, true},
         [] {
             JetFileOptions o = options(LongValuePlacement::Chain, UsageMapKind::Inline, true);
             o.chainPieceSize = 700;
             return o;
         }()},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("Quorlent.mdb");
        const JetTableSpec records = sampleRecords(layout.types);
        const JetFileLayout written =
            writeJetFile(path, {records, passwordTable()}, layout.options);

        EXPECT_EQ(mdbTables(path), QStringList({"Tab_DB_Delphi_10", "Tab_Parol"}));
        expectTableReadsBack(path, records);
        expectTableReadsBack(path, passwordTable());
        EXPECT_EQ(written.pageCount * 4096, QFileInfo(path).size());
        if (layout.options.longValues == LongValuePlacement::Chain) {
            EXPECT_GE(written.chainedValues, 6u);
        }
        if (layout.options.usageMap == UsageMapKind::MapPages) {
            EXPECT_GE(written.usageMapPages, 1u);
        }

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const HeaderFields header = readHeaderPage(file.read(kPageSize));
        EXPECT_EQ(header.password, layout.options.password);
        EXPECT_EQ(header.databaseKey, layout.options.encodePages ? layout.options.databaseKey : 0);
        // An encoded page is not the page libmdb reads.
        const QByteArray storedCatalog = file.read(2 * kPageSize).mid(kPageSize);
        EXPECT_EQ(storedCatalog != filePage(path, 2), layout.options.encodePages);
    }
}

TEST(JetWriterReadBack, AutoPlacementKeepsSmallValuesInTheRow) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorlent.mdb");
    const JetTableSpec records = sampleRecords({});
    const JetFileLayout written = writeJetFile(path, {records});
    // Rows 0 and 2: in the row; row 3: values of 3800 and 4000 bytes, too big for the row,
    // each on a long-value page; row 4: chains.
    EXPECT_EQ(written.inlineValues, 4u);
    EXPECT_EQ(written.singlePageValues, 2u);
    EXPECT_EQ(written.chainedValues, 2u);
    expectTableReadsBack(path, records);
}

TEST(JetWriterReadBack, ExtraColumnsAndTablesAreThereToBeIgnored) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorlent.mdb");
    JetTableSpec records = recordTable();
    // An autonumber-like key first, and columns of other types between the six.
    records.columns.insert(records.columns.begin(), {"Kod", JetType::Long});
    records.columns.insert(records.columns.begin() + 3, {"Vazhnoe", JetType::Boolean});
    records.columns.push_back({"Ves", JetType::Double});
    records.rows = {
        {qint64(1), QDateTime(QDate(2020, 1, 1), QTime(8, 0)), u"Первая"_qs, true, u"Описание"_qs,
         u"Текст"_qs, QByteArray("PK\x03\x04", 4), qint64(2), 0.5},
        {qint64(2), null, u"Вторая"_qs, false, null, null, null, null, -1e300},
    };
    JetTableSpec settings;
    settings.name = u"Nastroiki"_qs;
    settings.columns = {{"Klyuch", JetType::Text, true, 40}, {"Znachenie", JetType::Memo}};
    settings.rows = {{u"Шрифт"_qs, u"Tahoma"_qs}};

    writeJetFile(path, {settings, records, passwordTable()});

    EXPECT_EQ(mdbTables(path), QStringList({"Nastroiki", "Tab_DB_Delphi_10", "Tab_Parol"}));
    expectTableReadsBack(path, records);
    expectTableReadsBack(path, settings);
}

TEST(JetWriterReadBack, CharactersOutsideTheBmpAreStoredAsSurrogatePairs) {
    // libmdb converts texts as UCS-2 and prints such characters as "??": the stored bytes
    // are what a reader must decode itself.
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorlent.mdb");
    const QString name = u"Ветка 😀 smile"_qs;
    JetTableSpec records = recordTable();
    records.rows = {{null, name, u"plain description"_qs, u"Текст 😀"_qs, null, null}};
    writeJetFile(path, {records});

    const MdbTable table = readWithLibmdb(path, records.name);
    ASSERT_EQ(table.rows.size(), 1u);
    const QByteArray stored = table.rows[0][1].bytes;
    EXPECT_TRUE(stored.contains(QByteArray::fromHex("3dd800de"))) << stored.toHex().constData();
    EXPECT_EQ(decodeText(stored), name);
    EXPECT_EQ(decodeText(table.rows[0][3].bytes), u"Текст 😀"_qs);
    // The description next to it is still compressed: compression is decided per value.
    EXPECT_EQ(table.rows[0][2].bytes, encodeText("plain description", true));
    EXPECT_TRUE(table.rows[0][2].bytes.startsWith("\xff\xfe"));
}

TEST(JetWriterReadBack, StreamedRowsOverManyPagesAreFoundThroughEitherMap) {
    // 600 rows with 5000-byte attachments in chains: their data pages spread over some
    // 1200 pages, too far for a 64-byte map.
    JetTableSpec expected = recordTable();
    for (int i = 0; i < 600; ++i)
        expected.rows.push_back({null, QString("Ветка %1").arg(i), null, null,
                                 patternBytes(0, 5000, static_cast<std::uint32_t>(i)),
                                 qint64(i % 4)});

    const struct {
        UsageMapKind kind;
        bool mapPages;
    } cases[] = {
        {UsageMapKind::Auto, true}, {UsageMapKind::Inline, false}, {UsageMapKind::MapPages, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        QTemporaryDir dir;
        const QString path = dir.filePath("Quorlent.mdb");
        JetTableSpec streamed = recordTable();
        std::size_t next = 0;
        streamed.nextRow = [&]() -> std::optional<JetRow> {
            if (next == expected.rows.size())
                return std::nullopt;
            return expected.rows[next++];
        };
        const JetFileLayout written =
            writeJetFile(path, {streamed}, options(LongValuePlacement::Auto, c.kind));

        EXPECT_GT(written.dataPages, 5u);
        EXPECT_EQ(written.chainedValues, 600u);
        EXPECT_EQ(written.usageMapPages > 0, c.mapPages);
        expectTableReadsBack(path, expected);
    }
}
