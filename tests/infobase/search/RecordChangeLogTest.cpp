#include "infobase/search/RecordChangeLog.h"

#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace change_log = infobase::search::change_log;
using infobase::SqlcipherConnection;

namespace {

// A base of three records, and two programs' connections to it.
struct Base {
    QTemporaryDir folder;
    QString path = folder.filePath("Quorlent.mdb");
    SqlcipherConnection program;
    SqlcipherConnection other;

    Base() {
        infobase::branch_table::createBaseFile(path);
        program = SqlcipherConnection::open(path, infobase::branch_table::kPassword, {});
        other = SqlcipherConnection::open(path, infobase::branch_table::kPassword, {});
        program.execute("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty) VALUES"
                        " ('01.01.2026', 'Первая', 'о первой', 'текст'),"
                        " ('01.01.2026', 'Вторая', '', ''),"
                        " ('01.01.2026', 'Третья', '', '')");
    }

    // Each changed record as key, presence and name, in key order.
    std::vector<std::tuple<qint64, bool, QString, QString>> changes(change_log::Position& at,
                                                                    int most = 100) {
        const auto rows = change_log::changesSince(program, at, most);
        EXPECT_TRUE(rows.has_value());
        std::vector<std::tuple<qint64, bool, QString, QString>> keyed;
        for (const auto& row : rows.value_or(std::vector<change_log::ChangedRow>{})) {
            keyed.emplace_back(row.rowId, row.present, row.name, QString::fromUtf8(row.text));
        }
        std::sort(keyed.begin(), keyed.end());
        return keyed;
    }
};

using Changes = std::vector<std::tuple<qint64, bool, QString, QString>>;

TEST(RecordChangeLog, NamesEachRecordChangedInANameDescriptionOrTextByAnyProgram) {
    Base base;
    EXPECT_FALSE(change_log::position(base.program)) << "a base has none until a search needs it";
    ASSERT_TRUE(change_log::ensure(base.program));
    ASSERT_TRUE(change_log::ensure(base.other)) << "made once";
    std::optional<change_log::Position> at = change_log::position(base.program);
    ASSERT_TRUE(at);
    EXPECT_EQ(base.changes(*at), Changes{});

    base.other.execute("UPDATE Tab_DB_Delphi_10 SET Texty = 'новый' WHERE rowid = 1;"
                       "UPDATE Tab_DB_Delphi_10 SET Dat = '02.02.2026', File = x'00' "
                       "WHERE rowid = 2;"
                       "UPDATE Tab_DB_Delphi_10 SET Texty = Texty WHERE rowid = 2;"
                       "DELETE FROM Tab_DB_Delphi_10 WHERE rowid = 3;"
                       "INSERT INTO Tab_DB_Delphi_10 (Imya_vetok) VALUES ('Четвёртая')");
    EXPECT_EQ(
        base.changes(*at),
        (Changes{{1, true, "Первая", "новый"}, {3, false, "", ""}, {4, true, "Четвёртая", ""}}));
    EXPECT_EQ(base.changes(*at), Changes{}) << "read once";

    // A key changed: the old key is gone, the new one holds the record.
    base.program.execute("UPDATE Tab_DB_Delphi_10 SET RecordId = 10 WHERE rowid = 2");
    EXPECT_EQ(base.changes(*at), (Changes{{2, false, "", ""}, {10, true, "Вторая", ""}}));

    // More than the caller takes: it reads everything again instead.
    base.other.execute("UPDATE Tab_DB_Delphi_10 SET Opisanie = 'все'");
    change_log::Position before = *at;
    EXPECT_FALSE(change_log::changesSince(base.program, before, 2));
    EXPECT_EQ(base.changes(*at, 3).size(), 3u);
}

TEST(RecordChangeLog, APartDroppedByAnotherProgramNeverLeavesTheRecordsUnwritable) {
    Base base;
    ASSERT_TRUE(change_log::ensure(base.program));
    change_log::Position at = *change_log::position(base.program);

    // Someone drops one table with a tool of their own: the triggers stay, and would refuse
    // every write.
    SqlcipherConnection::open(base.path, infobase::branch_table::kPassword, {})
        .execute("DROP TABLE RecordVersions");
    EXPECT_THROW(base.program.execute("UPDATE Tab_DB_Delphi_10 SET Texty = 'x'"), Failure);
    change_log::keepWritable(base.program);
    EXPECT_NO_THROW(base.program.execute("UPDATE Tab_DB_Delphi_10 SET Texty = 'x'"));
    change_log::Position stale = at;
    EXPECT_FALSE(change_log::changesSince(base.program, stale, 100)) << "no log to read";

    // Made again, it counts anew: a reader of the old one reads everything again.
    ASSERT_TRUE(change_log::ensure(base.program));
    EXPECT_FALSE(change_log::changesSince(base.program, at, 100));
    change_log::Position fresh = *change_log::position(base.program);
    base.other.execute("UPDATE Tab_DB_Delphi_10 SET Texty = 'y' WHERE rowid = 2");
    EXPECT_EQ(base.changes(fresh), (Changes{{2, true, "Вторая", "y"}}));

    // Emptied: its numbers would start again below what a reader saw.
    base.other.execute("DELETE FROM RecordVersions");
    EXPECT_FALSE(change_log::changesSince(base.program, fresh, 100));

    // A whole log is left as it is.
    change_log::keepWritable(base.program);
    EXPECT_TRUE(change_log::position(base.program));
}

TEST(RecordChangeLog, ABaseThatCannotTakeOneStaysAsItWas) {
    const struct {
        const char* why;
        const char* before; // run by another program first
        bool readOnly;
    } cases[] = {
        {"read only", "", true},
        {"a view of that name in the way", "CREATE VIEW RecordVersions AS SELECT 1 AS version",
         false},
        {"another program writing", "BEGIN IMMEDIATE", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Base base;
        base.other.execute(c.before);
        SqlcipherConnection::Options options;
        options.readOnly = c.readOnly;
        options.busyTimeoutMs = 0;
        const SqlcipherConnection reader =
            SqlcipherConnection::open(base.path, infobase::branch_table::kPassword, options);
        EXPECT_FALSE(change_log::ensure(reader));
        EXPECT_FALSE(change_log::position(reader));
        base.other.execute(QByteArray(c.before).startsWith("BEGIN") ? "COMMIT" : "SELECT 1");
        EXPECT_NO_THROW(base.program.execute("UPDATE Tab_DB_Delphi_10 SET Texty = 'x'"));
    }
}

} // namespace
