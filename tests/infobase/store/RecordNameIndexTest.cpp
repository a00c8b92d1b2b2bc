// The base's own index on the record names: made with a new base and at the connect of one
// that lacks it, read by the open in place of the record table with the same result, and
// never a reason for a connect to fail or for a base that cannot take it to change.
#include "infobase/store/RecordNameIndex.h"

#include "StoreTestSupport.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordStore.h"
#include "infobase/store/SqlcipherApi.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace infobase;
using store_test::TempBase;

constexpr LocateOptions kBranchLookup = loCaseInsensitive | loPartialKey;

SqlcipherConnection connectTo(const QString& path) {
    return SqlcipherConnection::open(path, branch_table::kPassword, {});
}

bool hasIndex(const QString& path) {
    return record_name_index::present(connectTo(path));
}

// Names as SQL values: no name, empty, bytes that are not UTF-8 (as text and as a blob), a
// byte-order mark, letter-case twins and an exact twin, Cyrillic and Latin, a number.
const char* const kNames[] = {
    "NULL",
    "''",
    "X'FF41'",
    "CAST(X'FF41' AS TEXT)",
    "CAST(X'EFBBBF41' AS TEXT)",
    "'ёлка'",
    "'Ёлка'",
    "'ЁЛКА'",
    "'ёлка'",
    "'Запись'",
    "'запись'",
    "'apple'",
    "'Apple'",
    "42",
    "X'C3A9'",
    "'ветка'",
};

// Rows under keys far from the order of their names; each row's description is its key.
void seedAwkwardNames(const TempBase& base) {
    QByteArray sql = "BEGIN;";
    for (int i = 0; i < 400; ++i) {
        const int key = (i * 211) % 997 + 1;
        const QByteArray name = i < int(std::size(kNames))
                                    ? QByteArray(kNames[i])
                                    : "'ветка " + QByteArray::number(i % 37) + "'";
        sql += "INSERT INTO Tab_DB_Delphi_10 (RecordId, Imya_vetok, Opisanie) VALUES (" +
               QByteArray::number(key) + ", " + name + ", '" + QByteArray::number(key) + "');";
    }
    connectTo(base.path()).execute(sql + "COMMIT;");
}

// What the open gives, seen from outside: the record each lookup finds (by its key), and the
// records met walking them in key order (each deleted in turn) as key=name.
struct Seen {
    int count = 0;
    std::vector<QString> found;
    std::vector<QString> walk;
    bool operator==(const Seen&) const = default;
};

Seen whatTheOpenGives(const QString& path) {
    const SqlcipherConnection connection = connectTo(path);
    connection.execute("PRAGMA synchronous=OFF"); // the walk deletes row by row
    BranchQuery q;
    q.Open(connection);
    Seen seen;
    seen.count = q.RecordCount();
    const QString lookups[] = {"",   "\uFFFDA", "\uFFFD", "\uFEFFA", "ёлка",    "Ёлка",  "ЁЛКА",
                               "ё",  "Запись",  "запись", "з",       "apple",   "Apple", "a",
                               "42", "é",       "ветка",  "ветка 1", "ветка 3", "в"};
    for (const QString& value : lookups) {
        seen.found.push_back(q.Locate("Imya_vetok", value, kBranchLookup)
                                 ? q.FieldByName("Opisanie").AsString()
                                 : "none");
        seen.found.push_back(q.LocateOwn(value) ? q.FieldByName("Opisanie").AsString() : "none");
    }
    // From the first record in key order; a record count of steps at most.
    q.Close();
    q.Open(connection);
    for (int step = 0; step < seen.count && !q.IsEmpty(); ++step) {
        seen.walk.push_back(q.FieldByName("Opisanie").AsString() + "=" +
                            q.FieldByName("Imya_vetok").AsString());
        q.Delete();
    }
    return seen;
}

TEST(RecordNameIndex, TheOpenGivesTheSameRecordsInTheSameOrdersWithAndWithoutIt) {
    TempBase base;
    seedAwkwardNames(base);
    const QString without = base.folder() + "/without.mdb";
    ASSERT_TRUE(QFile::copy(base.path(), without));
    connectTo(without).execute("DROP INDEX RecordNameIndex");
    ASSERT_TRUE(hasIndex(base.path()));
    ASSERT_FALSE(hasIndex(without));

    const Seen fromIndex = whatTheOpenGives(base.path());
    const Seen fromTable = whatTheOpenGives(without);
    EXPECT_EQ(fromIndex.count, 400);
    EXPECT_EQ(fromIndex.found, fromTable.found);
    EXPECT_EQ(fromIndex.walk, fromTable.walk);
    // The walk met every key once, in key order.
    std::vector<int> keys;
    for (const QString& record : fromIndex.walk) {
        keys.push_back(record.section('=', 0, 0).toInt());
    }
    EXPECT_EQ(keys.size(), 400u);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
}

TEST(RecordNameIndex, ANewBaseHasItAndABaseWithoutItGetsItAtTheConnect) {
    TempBase base;
    EXPECT_TRUE(hasIndex(base.path()));
    base.seed({{"b"}, {"a"}, {"c"}});
    base.execute("DROP INDEX RecordNameIndex");

    RecordStore store;
    std::vector<double> told;
    store.connect(base.path(), 100, [&told](double done) { told.push_back(done); });
    EXPECT_TRUE(store.Connected());
    EXPECT_EQ(store.Query_Glav.RecordCount(), 3);
    EXPECT_TRUE(hasIndex(base.path()));
    EXPECT_EQ(base.names(), QStringList({"b", "a", "c"}));
    ASSERT_FALSE(told.empty());
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_EQ(told.back(), 1.0);
}

// A base that cannot take the index now connects and is read from the record table, and
// stays byte for byte as it was.
TEST(RecordNameIndex, ABaseThatCannotTakeItConnectsAndStaysAsItWas) {
    const struct {
        const char* why;
        const char* other; // what another program made of the name
    } cases[] = {
        {"a table of that name", "CREATE TABLE RecordNameIndex (x)"},
        {"a view of that name", "CREATE VIEW RecordNameIndex AS SELECT 1"},
        {"an index of that name on another column",
         "CREATE INDEX RecordNameIndex ON Tab_DB_Delphi_10 (Dat)"},
        {"an index of that name on some records only",
         "CREATE INDEX RecordNameIndex ON Tab_DB_Delphi_10 (Imya_vetok) WHERE RecordId > 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TempBase base;
        base.seed({{"b"}, {"a"}, {"c"}});
        base.execute(QByteArray("DROP INDEX RecordNameIndex;") + c.other);
        const QByteArray before = store_test::fileBytes(base.path());
        {
            RecordStore store;
            store.connect(base.path(), 100);
            EXPECT_EQ(store.Query_Glav.RecordCount(), 3);
            EXPECT_TRUE(store.Query_Glav.LocateOwn("a"));
            EXPECT_FALSE(hasIndex(base.path()));
        }
        EXPECT_EQ(store_test::fileBytes(base.path()), before);
    }
}

TEST(RecordNameIndex, ABaseAnotherProgramIsWritingGetsItAtALaterConnectNeverWaitingForTheLock) {
    TempBase base;
    base.seed({{"b"}, {"a"}});
    base.execute("DROP INDEX RecordNameIndex");
    const QByteArray before = store_test::fileBytes(base.path());
    store_test::LockingProcess other(base.path());
    other.lock("BEGIN IMMEDIATE");
    {
        RecordStore store;
        QElapsedTimer took;
        took.start();
        store.connect(base.path(), 60'000);
        EXPECT_LT(took.elapsed(), 30'000) << "waited for the other program's lock";
        EXPECT_EQ(store.Query_Glav.RecordCount(), 2);
    }
    other.release();
    EXPECT_EQ(store_test::fileBytes(base.path()), before);

    RecordStore store;
    store.connect(base.path(), 100);
    EXPECT_TRUE(hasIndex(base.path()));
    EXPECT_EQ(store.Query_Glav.RecordCount(), 2);
}

// A folder where the base's journal cannot be made: the base can be read and written in place,
// but no transaction can begin.
TEST(RecordNameIndex, ABaseInAFolderThatCannotBeWrittenConnectsWithoutIt) {
    TempBase base;
    base.seed({{"b"}, {"a"}});
    base.execute("DROP INDEX RecordNameIndex");
    ASSERT_EQ(::chmod(QFile::encodeName(base.path()).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(base.folder()).constData(), 0555), 0);
    const QByteArray before = store_test::fileBytes(base.path());
    const std::optional<QString> problem = store_test::runUnprivileged([&]() -> QString {
        RecordStore store;
        store.connect(base.path(), 100);
        if (store.Query_Glav.RecordCount() != 2) {
            return QStringLiteral("records missing");
        }
        return hasIndex(base.path()) ? QStringLiteral("the index was made") : QString();
    });
    ::chmod(QFile::encodeName(base.folder()).constData(), 0755);
    if (!problem) {
        GTEST_SKIP() << "cannot act as an unprivileged user here";
    }
    EXPECT_EQ(*problem, "");
    EXPECT_EQ(store_test::fileBytes(base.path()), before);
}

} // namespace
