#include "infobase/store/NameOrderBuilder.h"

#include "infobase/store/NameIndex.h"

#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <tuple>

namespace {

using infobase::NameIndex;
using infobase::NameOrderBuilder;
using infobase::RecordNames;

// Enough records for several batches, so that batches are merged into each other: names that
// differ only in letter case, repeat exactly, are empty, or share long beginnings; the records
// come in key order (read from the record table), in no order, or in the code unit order of
// their names (read from the record name index).
TEST(NameOrderBuilder, BuildsTheKeyOrderAndTheSameNameOrderAsOneSortOverAll) {
    const QStringList words = {"Запись",  "запись", "ЗАПИСЬ",  "Ёлка",
                               "ёлка",    "apple",  "Apple",   "",
                               "Σίσυφος", "Straße", "STRASSE", "Запись 1.2.3 длинная"};
    enum class Given { KeyOrder, Shuffled, NameOrder };
    for (const Given order : {Given::KeyOrder, Given::Shuffled, Given::NameOrder}) {
        SCOPED_TRACE(int(order));
        std::mt19937 random(7);
        std::vector<std::pair<qint64, QString>> records;
        for (qint64 rowId = 1; rowId <= 200'000; ++rowId) {
            QString name = words[random() % words.size()];
            if (random() % 2) {
                name += QString::number(random() % 5000);
            }
            records.emplace_back(rowId * 3, name);
        }
        std::vector<std::pair<qint64, QString>> given = records;
        if (order != Given::KeyOrder) {
            std::shuffle(given.begin(), given.end(), random);
        }
        if (order == Given::NameOrder) {
            // As the record name index gives them: by their code units, then by key.
            std::sort(given.begin(), given.end(), [](const auto& a, const auto& b) {
                return std::tie(a.second, a.first) < std::tie(b.second, b.first);
            });
        }
        RecordNames names;
        std::vector<RecordNames::Slot> byKey, byName;
        {
            NameOrderBuilder builder(names);
            for (const auto& [rowId, name] : given) {
                builder.add(rowId, name);
            }
            builder.finish(byKey, byName);
        }
        ASSERT_EQ(byKey.size(), records.size());
        for (std::size_t i = 0; i < byKey.size(); ++i) {
            ASSERT_EQ(names.rowId(byKey[i]), records[i].first);
            ASSERT_EQ(names.name(byKey[i]), records[i].second);
        }
        std::vector<RecordNames::Slot> sorted = byKey;
        std::sort(sorted.begin(), sorted.end(), NameIndex::Order{names});
        EXPECT_EQ(byName, sorted);
    }
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
