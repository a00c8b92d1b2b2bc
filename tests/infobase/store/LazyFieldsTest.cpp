// The branch query keeps only keys and names in memory: the other fields are read from the
// file when the current record's fields are read.
#include "StoreTestSupport.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordStore.h"
#include "infobase/store/SqlcipherApi.h"

#include <gtest/gtest.h>

namespace {

using namespace infobase;
using store_test::failureOf;
using store_test::TempBase;

constexpr LocateOptions kBranchLookup = loCaseInsensitive | loPartialKey;

QString field(BranchQuery& query, const char* name) {
    return query.FieldByName(name).AsString();
}

TEST(LazyFields, FieldsAreShownAsTheFileHoldsThemWhenTheRecordIsRead) {
    TempBase base;
    base.seed({{"a", "описание"}, {"b", "второе"}, {"c", "третье"}});
    base.execute("UPDATE Tab_DB_Delphi_10 SET Texty='текст', RashirenieFile=3");
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    // Another program changes a's fields, deletes b, and puts a record of its own under c's key.
    base.execute("UPDATE Tab_DB_Delphi_10 SET Opisanie='чужое', Texty='новый текст',"
                 " Dat='03.04.2025', RashirenieFile=1 WHERE Imya_vetok='a';"
                 "DELETE FROM Tab_DB_Delphi_10 WHERE Imya_vetok IN ('b', 'c');"
                 "INSERT INTO Tab_DB_Delphi_10 (RecordId, Imya_vetok, Opisanie, Texty)"
                 " VALUES (3, 'чужая', 'не c', 'не c')");

    ASSERT_TRUE(q.Locate("Imya_vetok", "a", kBranchLookup));
    EXPECT_EQ(field(q, "Opisanie"), "чужое");
    EXPECT_EQ(field(q, "Texty"), "новый текст");
    EXPECT_EQ(field(q, "Dat"), "03.04.2025");
    EXPECT_EQ(q.FieldByName("RashirenieFile").AsInteger(), 1);

    // Neither the deleted row nor the stranger under c's key stands for the record.
    for (const char* gone : {"b", "c"}) {
        SCOPED_TRACE(gone);
        ASSERT_TRUE(q.Locate("Imya_vetok", gone, kBranchLookup));
        EXPECT_EQ(field(q, "Imya_vetok"), gone);
        EXPECT_EQ(field(q, "Opisanie"), "");
        EXPECT_EQ(field(q, "Texty"), "");
        EXPECT_EQ(q.FieldByName("RashirenieFile").AsInteger(), 0);
        q.Edit();
        EXPECT_EQ(field(q, "Opisanie"), "");
        q.FieldByName("Opisanie").SetAsString("моё");
        EXPECT_EQ(failureOf([&] { q.Post(); }),
                  "Query_Glav: The record was deleted by another program; the change was not "
                  "saved");
    }
    EXPECT_EQ(base.column("чужая", "Opisanie"), "не c");
}

TEST(LazyFields, PostingOneFieldLeavesTheOthersAsTheFileHoldsThem) {
    TempBase base;
    base.seed({{"a", "описание"}, {"b", "второе"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    ASSERT_TRUE(q.LocateOwn("a"));
    q.Edit();
    EXPECT_EQ(field(q, "Opisanie"), "описание"); // the pending values hold what was read
    q.FieldByName("Opisanie").SetAsString("моё");
    base.execute("UPDATE Tab_DB_Delphi_10 SET Texty='чужой текст' WHERE Imya_vetok='a'");
    EXPECT_EQ(field(q, "Texty"), ""); // pending: as read at the edit
    q.Post();
    EXPECT_EQ(base.column("a", "Opisanie"), "моё");
    EXPECT_EQ(base.column("a", "Texty"), "чужой текст");
    // After the post the record is read again as the file now holds it.
    EXPECT_EQ(field(q, "Opisanie"), "моё");
    EXPECT_EQ(field(q, "Texty"), "чужой текст");
    EXPECT_EQ(field(q, "Dat"), "01.02.2024");
}

// SQLite's count of pages read from the file: the open must read the names without reading
// the long texts stored after them, and from the record name index, without the rows either.
int pagesRead(sqlite3* db) {
    int current = 0, highest = 0;
    sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_MISS, &current, &highest, 1);
    return current;
}

TEST(LazyFields, OpenReadsTheNamesWithoutTheTexts) {
    TempBase base;
    constexpr int kRows = 200;
    // Every row holds 20 KB of text: more than 1 000 pages of text in all.
    base.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
                 " INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, RashirenieFile)"
                 " SELECT '01.02.2024', 'ветка ' || i, 'описание', printf('%.20000c', 'ж'), 0"
                 " FROM n");
    for (const bool fromIndex : {true, false}) {
        SCOPED_TRACE(fromIndex ? "from the record name index" : "from the record table");
        if (!fromIndex) {
            base.execute("DROP INDEX RecordNameIndex");
        }
        const SqlcipherConnection connection =
            SqlcipherConnection::open(base.path(), branch_table::kPassword, {});
        BranchQuery q;
        pagesRead(connection.handle());
        q.Open(connection);
        EXPECT_EQ(q.RecordCount(), kRows);
        // A row's first page holds its name, its text fills about five more; a page of the
        // index holds the names of dozens of rows.
        EXPECT_LT(pagesRead(connection.handle()), fromIndex ? kRows / 10 : kRows * 3 / 2);
    }

    const SqlcipherConnection connection =
        SqlcipherConnection::open(base.path(), branch_table::kPassword, {});
    BranchQuery q;
    q.Open(connection);
    pagesRead(connection.handle());
    // Reading one record's text reads its pages.
    ASSERT_TRUE(q.LocateOwn("ветка 150"));
    EXPECT_EQ(field(q, "Texty").size(), 20000);
    EXPECT_GE(pagesRead(connection.handle()), 5);
}

TEST(LazyFields, AFieldThatCannotBeReadIsAFailureAndLaterReadsRecover) {
    TempBase base;
    base.seed({{"a", "описание"}, {"b", "второе"}});
    store_test::LockingProcess other(base.path());
    RecordStore store;
    store.connect(base.path(), 100);
    BranchQuery& q = store.Query_Glav;
    ASSERT_TRUE(q.LocateOwn("b"));
    other.lock("BEGIN EXCLUSIVE");
    EXPECT_EQ(field(q, "Imya_vetok"), "b"); // the name needs no read
    const QString failure = failureOf([&] { field(q, "Opisanie"); });
    EXPECT_TRUE(failure.startsWith("Не удалось прочитать запись ветки «b»: "))
        << failure.toStdString();
    EXPECT_THROW(q.Edit(), RecordReadFailure);
    EXPECT_EQ(q.State(), dsBrowse);
    other.release();
    EXPECT_EQ(field(q, "Opisanie"), "второе");
    q.Edit();
    EXPECT_EQ(q.State(), dsEdit);
    EXPECT_EQ(field(q, "Opisanie"), "второе");
}

TEST(LazyFields, OpenTellsItsProgressUpToTheEnd) {
    TempBase base;
    base.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30000)"
                 " INSERT INTO Tab_DB_Delphi_10 (Imya_vetok) SELECT 'ветка ' || i FROM n");
    const SqlcipherConnection connection =
        SqlcipherConnection::open(base.path(), branch_table::kPassword, {});
    BranchQuery q;
    std::vector<double> told;
    q.Open(connection, [&told](double done) { told.push_back(done); });
    ASSERT_GE(told.size(), 3u);
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_GT(told.front(), 0.0);
    EXPECT_LT(told.front(), 0.5);
    EXPECT_EQ(told.back(), 1.0);
}

} // namespace
