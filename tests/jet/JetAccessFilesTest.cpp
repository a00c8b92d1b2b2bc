// The writer's understanding of the format held against files Access wrote: the header and
// its masked password, the catalog's table definition, where page maps live, the catalog's
// entries, how texts are compressed and how a long value's chain starts.

#include "JetEncoding.h"
#include "JetFileCheck.h"
#include "JetFileWriter.h"
#include "MdbReadBack.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace jetfile;

namespace {

// The Jet files of the shared fixtures folder: QUORLENT_FIXTURES when it is set, else the
// folder the build knows.
QString accessFolder() {
    QString root = qEnvironmentVariable("QUORLENT_FIXTURES");
    if (root.isEmpty())
        root = QStringLiteral(QUORLENT_FIXTURES_FOLDER);
    return root + "/jet/";
}

const char* const kAccessFiles[] = {"db-enc.mdb", "overflowTestV2003.mdb", "test2V2000.mdb",
                                    "testUnicodeCompV2003.mdb"};

std::uint32_t little32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

qint64 integer(const MdbCell& cell) {
    if (cell.bytes.size() == 4)
        return qFromLittleEndian<std::int32_t>(cell.bytes.constData());
    return qFromLittleEndian<std::int16_t>(cell.bytes.constData());
}

// The catalog's entries as libmdb reads them: name -> (Id, ParentId, Type, Flags).
std::map<QString, std::array<qint64, 4>> catalogEntries(const QString& file) {
    const MdbTable catalog = readWithLibmdb(file, "MSysObjects");
    auto column = [&](const char* name) {
        return std::find(catalog.columns.begin(), catalog.columns.end(), QString(name)) -
               catalog.columns.begin();
    };
    std::map<QString, std::array<qint64, 4>> entries;
    for (const std::vector<MdbCell>& row : catalog.rows)
        entries[decodeText(row[column("Name")].bytes)] = {
            integer(row[column("Id")]), integer(row[column("ParentId")]),
            integer(row[column("Type")]), integer(row[column("Flags")])};
    return entries;
}

class AccessFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDir(accessFolder()).exists())
            GTEST_SKIP() << "no Jet files written by Access at " << accessFolder().toStdString();
        ASSERT_TRUE(dir.isValid());
        ours = dir.filePath("ours.mdb");
        JetTableSpec records = recordTable();
        records.rows = {{std::monostate{}, u"Дом"_qs, std::monostate{}, std::monostate{},
                         patternBytes(0, 22'970, 1), qint64(0)}};
        JetFileOptions options;
        options.encodePages = true;
        writeJetFile(ours, {records}, options);
    }

    QTemporaryDir dir;
    QString ours;
};

} // namespace

TEST_F(AccessFiles, HeadersDecodeLikeOurs) {
    for (const char* name : kAccessFiles) {
        SCOPED_TRACE(name);
        QFile file(accessFolder() + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const HeaderFields header = readHeaderPage(file.read(kPageSize));
        EXPECT_EQ(header.jetVersion, 1);
        // No password: under the creation date's mask the field is all zeros.
        EXPECT_EQ(header.password, QString());
        EXPECT_GT(header.creationDate, 36000.0);
        EXPECT_EQ(header.databaseKey != 0, QByteArray(name) == "db-enc.mdb");
        // Every other page is readable with the header's key: the catalog's definition.
        EXPECT_EQ(filePage(accessFolder() + name, 2)[0], '\x02');
    }
}

TEST_F(AccessFiles, CatalogDefinitionAndPageMapsAreLaidOutLikeOurs) {
    const TableDefinition mine = parseDefinition(filePage(ours, 2));
    for (const char* name : kAccessFiles) {
        SCOPED_TRACE(name);
        const QString path = accessFolder() + name;
        const TableDefinition theirs = parseDefinition(filePage(path, 2));
        for (const TableDefinition* d : {&theirs, &mine}) {
            EXPECT_EQ(d->pageType, 0x02);
            EXPECT_EQ(d->tableType, 0x53);
            for (const char* column : {"Id", "ParentId", "Name", "Type", "Flags", "LvProp"})
                ASSERT_NE(d->column(column), nullptr) << column;
        }
        for (const char* column : {"Id", "ParentId", "Name", "Type", "Flags", "LvProp"}) {
            const ColumnEntry* a = theirs.column(column);
            const ColumnEntry* b = mine.column(column);
            EXPECT_EQ(a->type, b->type) << column;
            EXPECT_EQ(a->flags & 1, b->flags & 1) << column;
            EXPECT_EQ(a->length, b->length) << column;
        }
        // The catalog's usage map: a 69-byte record of type 0 on a data page no table owns.
        for (const auto& [file, definition] : {std::pair{path, theirs}, std::pair{ours, mine}}) {
            const QByteArray page = filePage(file, definition.usageMap >> 8);
            EXPECT_EQ(page[0], '\x01');
            EXPECT_EQ(little32(page, 4), 0u);
            const QByteArray map = pageRow(page, static_cast<int>(definition.usageMap & 0xFF));
            EXPECT_EQ(map.size(), 69);
            EXPECT_EQ(map[0], '\0');
        }
    }
}

TEST_F(AccessFiles, CatalogEntriesSayWhatOursSay) {
    const auto mine = catalogEntries(ours);
    const std::map<QString, const char*> userTable = {{"db-enc.mdb", "Table1"},
                                                      {"overflowTestV2003.mdb", "Table1"},
                                                      {"test2V2000.mdb", "MSP_PROJECTS"},
                                                      {"testUnicodeCompV2003.mdb", "Table"}};
    for (const auto& [name, table] : userTable) {
        SCOPED_TRACE(name.toStdString());
        const QString path = accessFolder() + name;
        const auto theirs = catalogEntries(path);
        for (const auto* entries : {&theirs, &mine}) {
            // The catalog itself: a system table, its definition on page 2.
            const auto& catalog = entries->at("MSysObjects");
            EXPECT_EQ(catalog[0], 2);
            EXPECT_EQ(catalog[2], 1);
            EXPECT_EQ(catalog[3], qint64(std::int32_t(0x80000000)));
        }
        for (const auto& [file, entry] :
             {std::pair{path, theirs.at(table)}, std::pair{ours, mine.at("Tab_DB_Delphi_10")}}) {
            // A user table: type 1, no flags, under the tables' container, Id its definition page.
            EXPECT_EQ(entry[1], 0x0F000001);
            EXPECT_EQ(entry[2], 1);
            EXPECT_EQ(entry[3], 0);
            EXPECT_EQ(filePage(file, static_cast<std::uint32_t>(entry[0] & 0xFFFFFF))[0], '\x02');
        }
    }
}

TEST_F(AccessFiles, TextsAreCompressedAsAccessCompressesThem) {
    const QString path = accessFolder() + "testUnicodeCompV2003.mdb";
    const TableDefinition definition = parseDefinition(filePage(path, 53));
    ASSERT_NE(definition.column("Unicode"), nullptr);
    EXPECT_EQ(definition.column("Unicode")->miscFlags & 1, 1);
    const MdbTable table = readWithLibmdb(path, "Table");
    ASSERT_EQ(table.rows.size(), 8u);
    int compressed = 0;
    for (const std::vector<MdbCell>& row : table.rows) {
        const QByteArray stored = row[1].bytes;
        EXPECT_EQ(encodeText(decodeText(stored), true).toHex(), stored.toHex());
        compressed += stored.startsWith("\xff\xfe");
    }
    EXPECT_GT(compressed, 0);
    EXPECT_LT(compressed, 8);
}

TEST_F(AccessFiles, ALongValueChainStartsAsOurs) {
    const MdbTable theirs = readWithLibmdb(accessFolder() + "test2V2000.mdb", "MSP_PROJECTS");
    const MdbTable mine = readWithLibmdb(ours, "Tab_DB_Delphi_10");
    ASSERT_EQ(theirs.rows.size(), 1u);
    ASSERT_EQ(mine.rows.size(), 1u);
    const auto binary =
        std::find(theirs.columns.begin(), theirs.columns.end(), "RESERVED_BINARY_DATA") -
        theirs.columns.begin();
    const std::pair<QString, MdbCell> values[] = {
        {accessFolder() + "test2V2000.mdb", theirs.rows[0][binary]}, {ours, mine.rows[0][4]}};
    for (const auto& [file, cell] : values) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(cell.declared, 22'970u);
        EXPECT_EQ(cell.read, 22'970u);
        // Length with both placement bits clear, then page << 8 | row of the first link, on
        // a page marked as a long-value page.
        EXPECT_EQ(little32(cell.header, 0), 22'970u);
        const QByteArray link = filePage(file, little32(cell.header, 4) >> 8);
        EXPECT_EQ(link.left(2), QByteArray("\x01\x01"));
        EXPECT_EQ(link.mid(4, 4), QByteArray("LVAL"));
    }
}
