#include "StoreTestSupport.h"
#include "common/Failure.h"
#include "infobase/store/RecordStore.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace infobase;
using store_test::TempBase;

constexpr LocateOptions kBranchLookup = loCaseInsensitive | loPartialKey;

QString currentName(BranchQuery& query) {
    return query.FieldByName("Imya_vetok").AsString();
}

struct LookupCase {
    const char* value;
    std::optional<QString> found; // nullopt: nothing found, the current record stays
};

// Rows are stored in an order unlike name order, so "first in name order" is really tested.
class Lookup : public ::testing::Test {
protected:
    void SetUp() override {
        base.seed({{"Фотоальбом"},
                   {"фото"},
                   {"Фото"},
                   {"Ф'ото"},
                   {""},
                   {"ab"},
                   {"A_b"},
                   {"a*b"},
                   {"a%c"},
                   {"#x"},
                   {"Zeta"}});
        store.connect(base.path());
    }

    TempBase base;
    RecordStore store;
};

TEST_F(Lookup, FindsTheFirstNameInNameOrderThatBeginsWithTheValue) {
    const LookupCase cases[] = {
        {"Фото", QStringLiteral("Фото")}, // of Фото, фото, Фотоальбом, Фото sorts first
        {"фото", QStringLiteral("Фото")}, // letter case ignored, Cyrillic as Latin
        {"Фотоаль", QStringLiteral("Фотоальбом")},
        {"ФОТОАЛЬБОМ", QStringLiteral("Фотоальбом")},
        {"Ф'о", QStringLiteral("Ф'ото")}, // an apostrophe is a letter like any other
        {"", QStringLiteral("")},         // the empty value: only the empty name
        {"a*", QStringLiteral("a*b")},    // pattern characters match themselves
        {"a%", QStringLiteral("a%c")},
        {"a_", QStringLiteral("A_b")},
        {"A", QStringLiteral("a%c")}, // '%' < '*' < '_' < 'b' by code unit
        {"#", QStringLiteral("#x")},
        {"zeta", QStringLiteral("Zeta")},
        {"Фотоальбомы", std::nullopt}, // longer than every name
        {"b", std::nullopt},
        {"*", std::nullopt},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_TRUE(store.Query_Glav.Locate("Imya_vetok", "zeta", kBranchLookup));
        const bool found = store.Query_Glav.Locate("Imya_vetok", c.value, kBranchLookup);
        EXPECT_EQ(found, c.found.has_value());
        EXPECT_EQ(currentName(store.Query_Glav), c.found.value_or("Zeta"));
        EXPECT_EQ(store.Query_Glav.State(), dsBrowse);
    }
}

// The lookup a branch's own record is found by: never another branch's record through a
// prefix or a name that differs only in letter case.
TEST_F(Lookup, OwnRecordIsTheExactNameNeverAnotherCaseNorAPrefix) {
    const LookupCase cases[] = {
        {"Фото", QStringLiteral("Фото")},
        {"фото", QStringLiteral("фото")}, // exact, though Фото comes first in name order
        {"ФОТО", std::nullopt},           // Фото and фото are other branches' names
        {"Фотоальбом", QStringLiteral("Фотоальбом")},
        {"A_b", QStringLiteral("A_b")},
        {"A_B", std::nullopt},
        {"", QStringLiteral("")},
        {"Фот", std::nullopt},     // a prefix of three names is none of their own
        {"Фотоаль", std::nullopt}, // the display's lookup would land on Фотоальбом
        {"a", std::nullopt},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_TRUE(store.Query_Glav.Locate("Imya_vetok", "zeta", kBranchLookup));
        const bool found = store.Query_Glav.LocateOwn(QString::fromUtf8(c.value));
        EXPECT_EQ(found, c.found.has_value());
        EXPECT_EQ(currentName(store.Query_Glav), c.found.value_or("Zeta"));
        EXPECT_EQ(store.Query_Glav.CurrentIsOwnOf(QString::fromUtf8(c.value)), found);
    }
}

// A branch name is cut at 255 code units in the tree file; its record keeps the whole name.
// The cut name owns the one record that begins with it as written, and none when two do.
TEST(LookupAlone, OwnRecordOfANameCutAt255IsTheOnlyOneThatBeginsWithIt) {
    const QString cut = QString(255, QChar(u'я'));
    const QString upper = QString(255, QChar(u'Я'));
    const struct {
        const char* what;
        QStringList names;
        QString asked;
        std::optional<QString> found;
    } cases[] = {
        {"one longer name", {cut + "ааа", "Фото"}, cut, cut + "ааа"},
        {"the exact name beside a longer one", {cut + "ааа", cut}, cut, cut},
        {"two longer names", {cut + "ааа", cut + "ббб"}, cut, std::nullopt},
        {"a longer name in another case", {upper + "ааа"}, cut, std::nullopt},
        {"a case twin beside the one", {upper + "ааа", cut + "ббб"}, cut, cut + "ббб"},
        {"none", {"Фото"}, cut, std::nullopt},
        {"254 units are no cut", {cut + "ааа"}, cut.left(254), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempBase base;
        std::vector<store_test::Seed> seeds;
        for (const QString& name : c.names) {
            seeds.push_back({name});
        }
        base.seed(seeds);
        RecordStore store;
        store.connect(base.path());
        const QString before = currentName(store.Query_Glav);
        EXPECT_EQ(store.Query_Glav.LocateOwn(c.asked), c.found.has_value());
        EXPECT_EQ(currentName(store.Query_Glav), c.found.value_or(before));
        EXPECT_EQ(store.Query_Glav.CurrentIsOwnOf(c.asked), c.found.has_value());
    }
}

TEST(LookupAlone, PrefixOfTheOnlyNameFindsItAndTheEmptyValueDoesNot) {
    TempBase base;
    base.seed({{"Фотоальбом"}});
    RecordStore store;
    store.connect(base.path());
    EXPECT_TRUE(store.Query_Glav.Locate("Imya_vetok", "Фото", kBranchLookup));
    EXPECT_FALSE(store.Query_Glav.Locate("Imya_vetok", "", kBranchLookup));
    EXPECT_FALSE(store.Query_Glav.Locate("Opisanie", "Фото", kBranchLookup));
    EXPECT_EQ(currentName(store.Query_Glav), "Фотоальбом");
}

TEST_F(Lookup, SearchesRecordsAsTheyAreAfterPostsAndDeletes) {
    BranchQuery& q = store.Query_Glav;
    q.Insert();
    q.FieldByName("Imya_vetok").SetAsString("Фотка");
    q.Post();
    ASSERT_TRUE(q.Locate("Imya_vetok", "zeta", kBranchLookup));
    EXPECT_TRUE(q.Locate("Imya_vetok", "фотк", kBranchLookup));
    EXPECT_EQ(currentName(q), "Фотка");

    // Renamed: found by the new name only.
    ASSERT_TRUE(q.Locate("Imya_vetok", "Фотоаль", kBranchLookup));
    q.Edit();
    q.FieldByName("Imya_vetok").SetAsString("Альбом");
    q.Post();
    EXPECT_FALSE(q.Locate("Imya_vetok", "Фотоаль", kBranchLookup));
    EXPECT_TRUE(q.Locate("Imya_vetok", "альб", kBranchLookup));
    EXPECT_EQ(currentName(q), "Альбом");

    // Deleted: the next name in order takes its place.
    ASSERT_TRUE(q.Locate("Imya_vetok", "Фото", kBranchLookup));
    q.Delete();
    EXPECT_TRUE(q.Locate("Imya_vetok", "Фото", kBranchLookup));
    EXPECT_EQ(currentName(q), "фото");
}

TEST_F(Lookup, PostsAWrittenChangeBeforeSearchingAndDropsAnUntouchedOne) {
    BranchQuery& q = store.Query_Glav;
    ASSERT_TRUE(q.Locate("Imya_vetok", "ab", kBranchLookup));
    q.Edit();
    q.FieldByName("Imya_vetok").SetAsString("Фотоателье");
    EXPECT_TRUE(q.Locate("Imya_vetok", "фотоат", kBranchLookup));
    EXPECT_EQ(currentName(q), "Фотоателье");
    EXPECT_TRUE(base.names().contains("Фотоателье"));

    // Untouched edit and insert: nothing reaches the file.
    store.Query_Glav.Close();
    store.ADOConnection1.close();
    const QByteArray before = store_test::fileBytes(base.path());
    store.connect(base.path());
    q.Edit();
    EXPECT_FALSE(q.Locate("Imya_vetok", "nothing", kBranchLookup));
    EXPECT_EQ(q.State(), dsBrowse);
    q.Insert();
    q.Insert();
    EXPECT_FALSE(q.Locate("Imya_vetok", "ab", kBranchLookup)); // renamed above
    EXPECT_EQ(q.RecordCount(), 11);
    store.Query_Glav.Close();
    store.ADOConnection1.close();
    EXPECT_EQ(store_test::fileBytes(base.path()), before);
}

} // namespace
