// Damage written on request, and what mdbtools makes of it: the cases the import must turn
// into a message.

#include "JetFileCheck.h"
#include "JetFileWriter.h"
#include "MdbReadBack.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace jetfile;

namespace {

const JetCell null = std::monostate{};

// Three rows; the second's attachment is the file's first chain, in 1000-byte links.
JetTableSpec records() {
    JetTableSpec table = recordTable();
    table.rows = {{null, u"Первая"_qs, null, u"текст"_qs, null, qint64(0)},
                  {null, u"Вторая"_qs, null, null, patternBytes(0, 10'000, 3), qint64(1)},
                  {null, u"Третья"_qs, null, null, patternBytes(0, 10'000, 4), qint64(2)}};
    return table;
}

QString writeDamaged(const QTemporaryDir& dir, JetDamage damage) {
    const QString path = dir.filePath("damaged.mdb");
    JetFileOptions options;
    options.longValues = LongValuePlacement::Chain;
    options.chainPieceSize = 1000;
    options.damage = damage;
    writeJetFile(path, {records(), passwordTable()}, options);
    return path;
}

} // namespace

TEST(JetDamage, BrokenChainsGiveLessOrMoreThanTheirHeaderDeclares) {
    const struct {
        JetDamage damage;
        bool longer;
    } cases[] = {{JetDamage::ChainToMissingPage, false},
                 {JetDamage::ChainToWrongRow, false},
                 {JetDamage::ChainEndsEarly, false},
                 {JetDamage::ChainLoop, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.damage));
        QTemporaryDir dir;
        const MdbTable table = readWithLibmdb(writeDamaged(dir, c.damage), "Tab_DB_Delphi_10");
        ASSERT_EQ(table.rows.size(), 3u);
        const MdbCell& broken = table.rows[1][4];
        EXPECT_EQ(broken.declared, 10'000u);
        if (c.longer)
            EXPECT_GT(broken.read, broken.declared);
        else
            EXPECT_LT(broken.read, broken.declared);
        // Only the first chain is damaged.
        EXPECT_EQ(table.rows[2][4].read, 10'000u);
        EXPECT_EQ(table.rows[2][4].bytes, patternBytes(0, 10'000, 4));
    }
}

TEST(JetDamage, AFileCutShortLosesRows) {
    QTemporaryDir dir;
    const QString path = writeDamaged(dir, JetDamage::CutShort);
    EXPECT_EQ(QFileInfo(path).size() % 4096, 2048);
    // libmdb fills the missing half page with zeros: the rows, kept at a page's end, come
    // back without values, silently.
    const MdbTable table = readWithLibmdb(path, "Tab_DB_Delphi_10");
    EXPECT_EQ(table.declaredRows, 3u);
    for (const std::vector<MdbCell>& row : table.rows)
        EXPECT_TRUE(row[1].null);
}

TEST(JetDamage, ADamagedCatalogHidesTheTables) {
    QTemporaryDir dir;
    const ToolRun listed = runTool(MDB_TABLES, {"-1", writeDamaged(dir, JetDamage::CatalogPage)});
    EXPECT_FALSE(listed.out.contains("Tab_DB_Delphi_10")) << listed.out.constData();
}

TEST(JetDamage, ADamagedCatalogPageMapCrashesMdbtools) {
    // mdbtools 1.0.0 reads a usage map of length 0 without looking: the import reads in a
    // child process so that this is a message, not a dead program.
    QTemporaryDir dir;
    const ToolRun listed =
        runTool(MDB_TABLES, {"-1", writeDamaged(dir, JetDamage::CatalogUsageMap)});
    EXPECT_TRUE(listed.crashed) << listed.exitCode << listed.err.constData();
    EXPECT_FALSE(listed.out.contains("Tab_DB_Delphi_10"));
}
