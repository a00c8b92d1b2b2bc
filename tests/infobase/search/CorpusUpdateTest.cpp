#include "infobase/search/ByteFinder.h"
#include "infobase/search/FindBranches.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/search/TreeOrder.h"
#include "infobase/tree/TreeNodes.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <map>

namespace search = infobase::search;

namespace {

struct Record {
    QString name;
    QString description;
    QString text;
};

std::unique_ptr<search::RecordCorpus> builtFrom(const std::map<qint64, Record>& records) {
    search::RecordCorpus::Builder builder;
    for (const auto& [rowId, record] : records) {
        builder.add(rowId, record.name, record.description.toUtf8(), record.text.toUtf8());
    }
    return builder.finish();
}

// Every record's key with the place of the query in its description or text, in key order.
std::map<qint64, search::MatchPlace> placesOf(const search::RecordCorpus& corpus,
                                              const QString& query) {
    const search::ByteFinder finder(search::foldedQuery(query));
    std::vector<char> wanted(corpus.slotCount());
    for (int slot = 0; slot < corpus.slotCount(); ++slot) {
        wanted[slot] = corpus.isLive(slot);
    }
    std::vector<search::MatchPlace> places;
    corpus.match(finder, wanted, places);
    std::map<qint64, search::MatchPlace> byKey;
    for (int slot = 0; slot < corpus.slotCount(); ++slot) {
        if (places[slot] != search::MatchPlace::None) {
            byKey[corpus.rowId(slot)] = places[slot];
        }
    }
    return byKey;
}

QString filler(int number, int length) {
    QString text;
    while (text.size() < length) {
        text += QStringLiteral("слово%1 ").arg(number++ % 97);
    }
    return text;
}

TEST(RecordCorpus, RowUpdatesLeaveWhatACorpusReadAfreshHolds) {
    // Enough text for several chunks, so that records move between them.
    std::map<qint64, Record> truth;
    for (qint64 key = 1; key <= 400; ++key) {
        truth[key] = {QStringLiteral("Ветка %1").arg(key % 50), filler(int(key), 40),
                      filler(int(key) * 3, 2000)};
    }
    truth[7].text += " молоко";
    truth[300].description += " Молоко";
    std::unique_ptr<search::RecordCorpus> corpus = builtFrom(truth);

    const struct {
        qint64 rowId;
        std::optional<Record> record; // none: deleted
    } steps[] = {
        {7, Record{"Ветка 7", "", "без него"}},                    // text changed
        {300, Record{"Молочная", "Молоко", ""}},                   // renamed too
        {8, std::nullopt},                                         // deleted
        {401, Record{"Ветка 8", "", "МОЛОКО"}},                    // new, a name taken
        {8, Record{"Ветка 8", "", "молоко снова"}},                // back, a lower key
        {50, Record{"Ветка 0", filler(1, 600000) + "молоко", ""}}, // larger than a chunk
        {50, Record{"Ветка 0", "", ""}},                           // and small again
        {1, std::nullopt},                                         //
        {999, std::nullopt},                                       // never there
    };
    const QStringList queries = {"молоко", "слово4", "ветка", "без"};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.rowId);
        if (step.record) {
            truth[step.rowId] = *step.record;
            corpus->put(step.rowId, step.record->name, step.record->description.toUtf8(),
                        step.record->text.toUtf8());
        } else {
            truth.erase(step.rowId);
            corpus->remove(step.rowId);
        }
        const std::unique_ptr<search::RecordCorpus> fresh = builtFrom(truth);
        EXPECT_EQ(corpus->size(), fresh->size());
        // Bytes taken out of a chunk are not kept: the corpus holds what it searches.
        EXPECT_EQ(corpus->foldedBytes(), fresh->foldedBytes());
        for (const QString& query : queries) {
            EXPECT_EQ(placesOf(*corpus, query), placesOf(*fresh, query)) << query.toStdString();
        }
        for (const QString name : {"Ветка 7", "Ветка 8", "Ветка 0", "Молочная", "Ветка 1"}) {
            const int own = corpus->ownRecordOf(name);
            const int freshOwn = fresh->ownRecordOf(name);
            EXPECT_EQ(own < 0 ? 0 : corpus->rowId(own), freshOwn < 0 ? 0 : fresh->rowId(freshOwn))
                << name.toStdString();
            if (own >= 0) {
                EXPECT_EQ(corpus->foldedName(own), search::foldedQuery(name));
            }
        }
    }
}

TEST(FindBranches, AQueryHoldingThePreviousFindsAmongItsResultsWhatAFullSearchFinds) {
    infobase::TTreeNodes tree;
    infobase::TTreeNode* docs = tree.AddChild(nullptr, "Документы");
    tree.AddChild(docs, "Аренда");
    tree.AddChild(docs, "Договор аренды");
    tree.AddChild(nullptr, "Заметки");
    tree.AddChild(nullptr, "Ёлки");
    tree.AddChild(nullptr, "Папка");
    const auto corpus = builtFrom({
        {1, {"Документы", "бумаги", "договоры на аренду"}},
        {2, {"Аренда", "склад", "договор подписан"}},
        {3, {"Договор аренды", "", "Ключи у охранника"}},
        {4, {"Заметки", "про ёлку", "купить молоко, ДОГОВОРИТЬСЯ"}},
        {5, {"Ёлки", "", ""}},
    });
    const search::TreeOrder order(tree, *corpus);
    const struct {
        const char* previous;
        const char* next;
    } cases[] = {
        {"до", "дог"},         // names, then a text
        {"а", "аренд"},        // a name hit before becomes a text hit
        {"ар", "аренду"},      //
        {"е", "ёлк"},          // ё and е alike, the description then
        {"ДОГ", "договорить"}, // a text only
        {"р", "жираф"},        // nothing left
        {"лк", "ёлки"},        // held, not at the start
    };
    const auto keyed = [](const search::FoundBranches& found) {
        std::vector<std::tuple<infobase::TTreeNode*, qint64, search::MatchPlace, int>> rows;
        for (std::size_t i = 0; i < found.hits.size(); ++i) {
            rows.emplace_back(found.hits[i].node, found.hits[i].rowId, found.hits[i].place,
                              found.places[i]);
        }
        return rows;
    };
    for (const auto& c : cases) {
        const QString previous = QString::fromUtf8(c.previous);
        const QString next = QString::fromUtf8(c.next);
        ASSERT_TRUE(search::foldedQuery(next).contains(search::foldedQuery(previous)));
        for (const infobase::TTreeNode* within :
             {static_cast<infobase::TTreeNode*>(nullptr), docs}) {
            const search::FoundBranches before =
                search::findBranchesWithPlaces(order, *corpus, previous, within);
            const search::FoundBranches among =
                search::findBranchesAmong(order, *corpus, next, before.places);
            EXPECT_EQ(keyed(among),
                      keyed(search::findBranchesWithPlaces(order, *corpus, next, within)))
                << c.previous << " → " << c.next << (within ? " within" : "");
        }
    }
}

} // namespace
