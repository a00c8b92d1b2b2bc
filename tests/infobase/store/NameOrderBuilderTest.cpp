#include "infobase/store/NameOrderBuilder.h"

#include "infobase/store/NameIndex.h"

#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

using infobase::NameIndex;
using infobase::NameOrderBuilder;
using infobase::RecordNames;

// Enough records for several batches, so that batches are merged into each other: names that
// differ only in letter case, repeat exactly, are empty, or share long beginnings.
TEST(NameOrderBuilder, BuildsTheKeyOrderAndTheSameNameOrderAsOneSortOverAll) {
    const QStringList words = {"Запись",  "запись", "ЗАПИСЬ",  "Ёлка",
                               "ёлка",    "apple",  "Apple",   "",
                               "Σίσυφος", "Straße", "STRASSE", "Запись 1.2.3 длинная"};
    std::mt19937 random(7);
    RecordNames names;
    std::vector<QString> added;
    std::vector<RecordNames::Slot> byKey, byName;
    {
        NameOrderBuilder builder(names);
        for (qint64 rowId = 1; rowId <= 200'000; ++rowId) {
            QString name = words[random() % words.size()];
            if (random() % 2) {
                name += QString::number(random() % 5000);
            }
            added.push_back(name);
            builder.add(rowId * 3, name);
        }
        builder.finish(byKey, byName);
    }
    ASSERT_EQ(byKey.size(), added.size());
    for (std::size_t i = 0; i < byKey.size(); ++i) {
        ASSERT_EQ(names.rowId(byKey[i]), qint64(i + 1) * 3);
        ASSERT_EQ(names.name(byKey[i]), added[i]);
    }
    std::vector<RecordNames::Slot> sorted = byKey;
    std::sort(sorted.begin(), sorted.end(), NameIndex::Order{names});
    EXPECT_EQ(byName, sorted);
}

TEST(NameOrderBuilder, NothingAddedGivesNothing) {
    RecordNames names;
    std::vector<RecordNames::Slot> byKey{1}, byName{2};
    NameOrderBuilder builder(names);
    builder.finish(byKey, byName);
    EXPECT_TRUE(byKey.empty());
    EXPECT_TRUE(byName.empty());
}

} // namespace
