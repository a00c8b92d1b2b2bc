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

namespace {

// Tells a tree order every change of a tree, as the search window tells it the changes its
// view model hears of.
class OrderFollower : public infobase::TreeNodesObserver {
public:
    OrderFollower(infobase::TTreeNodes& tree, const search::RecordCorpus& records)
        : tree_(tree), records_(records), order_(tree, records) {
        tree.setObserver(this);
    }
    ~OrderFollower() override { tree_.setObserver(nullptr); }
    const search::TreeOrder& order() const { return order_; }

    void nodeAboutToBeInserted(infobase::TTreeNode* parent, int row) override {
        parent_ = parent;
        row_ = row;
    }
    void nodeInserted() override { order_.insertBranch(childAt(parent_, row_), records_); }
    void nodeAboutToBeRemoved(infobase::TTreeNode* parent, int row) override {
        order_.removeBranch(childAt(parent, row));
    }
    void nodeRemoved() override {}
    void nodeChanged(infobase::TTreeNode* node) override { order_.renameBranch(node, records_); }
    void nodeAboutToBeMoved(infobase::TTreeNode* oldParent, int oldRow, infobase::TTreeNode*,
                            int) override {
        moving_ = childAt(oldParent, oldRow);
        from_ = order_.subtree(moving_);
    }
    void nodeMoved() override {
        const auto [begin, end] = order_.moveBranch(moving_, from_.first, from_.second);
        EXPECT_EQ(order_.node(begin), moving_);
        EXPECT_EQ(end - begin, from_.second - from_.first);
    }
    void childrenAboutToBeReordered(infobase::TTreeNode*) override {}
    void childrenReordered(infobase::TTreeNode*) override {
        order_ = search::TreeOrder(tree_, records_);
    }
    void treeAboutToBeReset() override {}
    void treeReset() override { order_ = search::TreeOrder(tree_, records_); }

private:
    infobase::TTreeNode* childAt(infobase::TTreeNode* parent, int row) const {
        return parent ? parent->Item(row) : tree_.TopItem(row);
    }

    infobase::TTreeNodes& tree_;
    const search::RecordCorpus& records_;
    search::TreeOrder order_;
    infobase::TTreeNode* parent_ = nullptr;
    int row_ = 0;
    infobase::TTreeNode* moving_ = nullptr;
    std::pair<int, int> from_;
};

TEST(TreeOrder, EachChangeOfTheTreeLeavesWhatAnOrderMadeAfreshHolds) {
    infobase::TTreeNodes tree;
    const auto records = builtFrom({{1, {"Документы", "", ""}},
                                    {2, {"Аренда", "", ""}},
                                    {3, {"Склад", "", ""}},
                                    {4, {"Ёлки", "", ""}}});
    infobase::TTreeNode* docs = tree.AddChild(nullptr, "Документы");
    infobase::TTreeNode* lease = tree.AddChild(docs, "Аренда");
    tree.AddChild(lease, "Склад");
    tree.AddChild(lease, "Подвал");
    infobase::TTreeNode* notes = tree.AddChild(nullptr, "Заметки");
    tree.AddChild(notes, "Ёлки");
    OrderFollower follower(tree, *records);

    const struct {
        const char* what;
        std::function<void()> change;
    } steps[] = {
        {"a branch added at the end", [&] { tree.AddChild(nullptr, "Новая"); }},
        {"a sub-branch added in the middle", [&] { tree.AddChild(docs, "Ещё"); }},
        {"a branch with sub-branches moved to the end", [&] { tree.Move(lease, nullptr, 3); }},
        {"moved in front of everything", [&] { tree.Move(lease, nullptr, 0); }},
        {"moved under another branch", [&] { tree.Move(lease, notes, 0); }},
        {"moved one place down", [&] { tree.Move(lease, notes, 2); }},
        {"moved one place up", [&] { tree.Move(lease, notes, 0); }},
        {"moved out of its parent", [&] { tree.Move(lease, nullptr, 2); }},
        {"renamed to a record's name", [&] { tree.setText(docs, "Склад"); }},
        {"renamed to no record's name", [&] { tree.setText(notes, "Папка"); }},
        {"a branch with sub-branches deleted", [&] { tree.Delete(lease); }},
        {"siblings ordered",
         [&] {
             tree.Reorder(nullptr, {tree.TopItem(2), tree.TopItem(0), tree.TopItem(1)});
         }},
        {"the last branch deleted", [&] { tree.Delete(tree.TopItem(tree.TopCount() - 1)); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        const search::TreeOrder fresh(tree, *records);
        const search::TreeOrder& followed = follower.order();
        ASSERT_EQ(followed.size(), fresh.size());
        for (int i = 0; i < fresh.size(); ++i) {
            EXPECT_EQ(followed.node(i), fresh.node(i)) << i;
            EXPECT_EQ(followed.ownRecord(i), fresh.ownRecord(i)) << i;
            EXPECT_EQ(followed.foldedName(i), fresh.foldedName(i)) << i;
        }
        // The names are where the search looks for them.
        std::vector<char> found;
        followed.matchNames(search::ByteFinder(search::foldedQuery(u"а")), 0, followed.size(),
                            found);
        std::vector<char> freshFound;
        fresh.matchNames(search::ByteFinder(search::foldedQuery(u"а")), 0, fresh.size(),
                         freshFound);
        EXPECT_EQ(found, freshFound);
    }
}

} // namespace

namespace {

TEST(FindBranches, ALargeTreeIsSearchedInPartsAsAWhole) {
    // Enough names and records to be looked through in parts on a computer of several cores.
    constexpr int kBranches = 300000;
    infobase::TTreeNodes tree;
    search::RecordCorpus::Builder builder;
    const QByteArray description = QString("описание ветки, строка в сорок байт").toUtf8();
    for (int i = 0; i < kBranches; ++i) {
        const QString name = QStringLiteral("Ветка %1").arg(i);
        tree.AddChild(nullptr, name);
        builder.add(i + 1, name, description,
                    i % 1000 == 999 ? QByteArray("Молоко") : QByteArray("вода"));
    }
    const auto corpus = builder.finish();
    const search::TreeOrder order(tree, *corpus);
    const auto hits = search::findBranches(order, *corpus, u"молоко");
    ASSERT_EQ(hits.size(), std::size_t(kBranches / 1000));
    for (std::size_t i = 0; i < hits.size(); ++i) {
        EXPECT_EQ(hits[i].rowId, qint64(i * 1000 + 1000)) << i;
        EXPECT_EQ(hits[i].place, search::MatchPlace::Text);
    }
    // Names in every part: those ending in 99999.
    const auto named = search::findBranches(order, *corpus, u"99999");
    ASSERT_EQ(named.size(), 3u);
    EXPECT_EQ(named[2].node->Text(), "Ветка 299999");
    // Found everywhere: every branch once, in the tree's order, across the parts' seams.
    const search::FoundBranches all = search::findBranchesWithPlaces(order, *corpus, u"ветки");
    ASSERT_EQ(all.hits.size(), std::size_t(kBranches));
    for (int i = 0; i < kBranches; ++i) {
        if (all.places[i] != i || all.hits[i].node != order.node(i) || all.hits[i].rowId != i + 1 ||
            all.hits[i].place != search::MatchPlace::Description) {
            ADD_FAILURE() << "result " << i;
            break;
        }
    }
}

} // namespace
