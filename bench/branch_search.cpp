// The search over 100 000 branches (the sample tree) whose records hold 60-byte descriptions
// and 200-byte texts of Cyrillic words, measured in the same run against its floor: a bare
// scan of the same names, descriptions and texts held in memory as QStrings with
// QStringView::contains(…, Qt::CaseInsensitive). Four queries: a word in about one text of
// a hundred, a word found nowhere, a letter in almost every name, and a capital letter in
// few names but almost every description.
//
// Also the reading the search does off the window's thread when its window opens (every
// record read and folded), against the bare sqlite3 API reading the same columns; a keystroke
// that extends the previous query, looked for among the previous results, against the same
// query looked for everywhere; one record replaced in the corpus after a change, against
// folding that record alone; and the tree order following a move of a branch, against making
// it again.
//
// Counters of the query: searchBytes, the heap of the search's own structures as they count
// it, and searchHeapBytes, as the allocator counts it; foldedBytes, what the corpus searches
// (names, descriptions and texts folded) and fixedPerBranch, the rest of the search's heap per
// branch;
// textBytes, the UTF-8 bytes of the names, descriptions and texts it searches (textUtf16Bytes
// the same as UTF-16). Run with repetitions and compare medians:
//   bench_branch_search --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include "SampleTree.h"
#include "infobase/search/FindBranches.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/search/TreeOrder.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <random>

namespace {

using namespace infobase;

constexpr int kDescriptionBytes = 60;
constexpr int kTextBytes = 200;

const char* const kWords[] = {
    "договор", "аренда",   "склад", "ключи",    "охрана", "письмо", "счёт",    "оплата",
    "встреча", "проект",   "отчёт", "заметка",  "дом",    "сад",    "окно",    "дверь",
    "ремонт",  "поставка", "товар", "цена",     "клиент", "адрес",  "телефон", "город",
    "улица",   "Москва",   "Ёлки",  "черёмуха", "книга",  "фото",   "план",    "неделя"};

// Cyrillic words up to (about) that many UTF-8 bytes; one text in a hundred holds "молоко".
QString words(std::mt19937& random, int bytes, bool withMilk) {
    QString text;
    int used = 0;
    if (withMilk) {
        text = QStringLiteral("молоко ");
        used = 13;
    }
    for (;;) {
        const QString word = QString::fromUtf8(kWords[random() % std::size(kWords)]);
        const int size = static_cast<int>(word.toUtf8().size()) + 1;
        if (used + size > bytes) {
            break;
        }
        text += word + u' ';
        used += size;
    }
    return text.trimmed();
}

// The heap in use: small blocks from the arena and large ones mapped on their own.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

struct Branch {
    QString name;
    QString description;
    QString text;
};

// The sample tree with one record per branch, named as its branch.
struct SampleData {
    TTreeNodes tree;
    std::vector<Branch> branches;
    std::shared_ptr<search::RecordCorpus> corpus;
    std::unique_ptr<search::TreeOrder> order;
    qint64 textBytes = 0;
    qint64 textUtf16Bytes = 0;
    qint64 searchHeapBytes = 0; // measured by the allocator

    SampleData() {
        growSampleTree(tree);
        std::mt19937 random(20261210);
        for (TTreeNode* node = tree.getFirstNode(); node; node = node->GetNext()) {
            const bool milk = random() % 100 == 0;
            branches.push_back(Branch{node->Text(), words(random, kDescriptionBytes, false),
                                      words(random, kTextBytes, milk)});
        }
        const std::size_t heapBefore = heapInUse();
        search::RecordCorpus::Builder builder;
        qint64 rowId = 0;
        for (const Branch& branch : branches) {
            const QByteArray description = branch.description.toUtf8();
            const QByteArray text = branch.text.toUtf8();
            builder.add(++rowId, branch.name, description, text);
            textBytes += branch.name.toUtf8().size() + description.size() + text.size();
            textUtf16Bytes +=
                2 * (branch.name.size() + branch.description.size() + branch.text.size());
        }
        corpus = builder.finish();
        order = std::make_unique<search::TreeOrder>(tree, *corpus);
        // Every branch's UTF-8 text was made and dropped meanwhile: what stays is the search's.
        searchHeapBytes = qint64(heapInUse() - heapBefore);
    }
};

SampleData& sample() {
    static SampleData data;
    return data;
}

const QString kQueries[] = {QStringLiteral("молоко"), QStringLiteral("жираф"), QStringLiteral("а"),
                            QStringLiteral("О")};

void BM_Search(benchmark::State& state) {
    SampleData& data = sample();
    const QString& query = kQueries[state.range(0)];
    static_assert(std::size(kQueries) == 4, "the benchmarks' range covers every query");
    std::size_t found = 0;
    for (auto _ : state) {
        const auto hits = search::findBranches(*data.order, *data.corpus, query);
        found = hits.size();
        benchmark::DoNotOptimize(hits.data());
    }
    state.SetLabel(query.toStdString());
    state.counters["found"] = double(found);
    state.counters["searchBytes"] = double(data.corpus->memoryBytes() + data.order->memoryBytes());
    state.counters["searchHeapBytes"] = double(data.searchHeapBytes);
    state.counters["textBytes"] = double(data.textBytes);
    state.counters["textUtf16Bytes"] = double(data.textUtf16Bytes);
    state.counters["foldedBytes"] = double(data.corpus->foldedBytes());
    state.counters["fixedPerBranch"] =
        double(data.corpus->memoryBytes() + data.order->memoryBytes() -
               std::size_t(data.corpus->foldedBytes())) /
        double(data.corpus->size());
}

// The query typed one key further: looked for among the results of the query before it, or
// (range 1) everywhere, as without the previous results.
const QString kExtensions[][2] = {{QStringLiteral("моло"), QStringLiteral("молоко")},
                                  {QStringLiteral("а"), QStringLiteral("ар")}};

void BM_Extend(benchmark::State& state) {
    SampleData& data = sample();
    const auto& [before, after] = kExtensions[state.range(0)];
    const bool among = state.range(1) == 0;
    const search::FoundBranches previous =
        search::findBranchesWithPlaces(*data.order, *data.corpus, before);
    std::size_t found = 0;
    for (auto _ : state) {
        const search::FoundBranches next =
            among ? search::findBranchesAmong(*data.order, *data.corpus, after, previous.places)
                  : search::findBranchesWithPlaces(*data.order, *data.corpus, after);
        found = next.hits.size();
        benchmark::DoNotOptimize(next.hits.data());
    }
    state.SetLabel((before + QStringLiteral(" → ") + after +
                    (among ? QStringLiteral(" among") : QStringLiteral(" everywhere")))
                       .toStdString());
    state.counters["found"] = double(found);
    state.counters["previous"] = double(previous.hits.size());
}

// One record as another program or a command left it: a new text, then its old one again.
void BM_ReplaceRecord(benchmark::State& state) {
    SampleData& data = sample();
    const Branch& branch = data.branches[data.branches.size() / 2];
    const QByteArray description = branch.description.toUtf8();
    const QByteArray texts[2] = {branch.text.toUtf8(),
                                 (branch.text + QStringLiteral(" правка")).toUtf8()};
    const qint64 rowId = qint64(data.branches.size() / 2 + 1);
    int turn = 0;
    for (auto _ : state) {
        data.corpus->put(rowId, branch.name, description, texts[++turn % 2]);
    }
    data.corpus->put(rowId, branch.name, description, texts[0]);
}

// The floor of a record's replacement: folding its name, description and text alone.
void BM_FoldRecord(benchmark::State& state) {
    SampleData& data = sample();
    const Branch& branch = data.branches[data.branches.size() / 2];
    const QByteArray description = branch.description.toUtf8();
    const QByteArray text = branch.text.toUtf8();
    for (auto _ : state) {
        QByteArray folded;
        search::appendFoldedUtf8(QStringView(branch.name), folded);
        search::appendFoldedUtf8(description, folded);
        search::appendFoldedUtf8(text, folded);
        benchmark::DoNotOptimize(folded.data());
    }
}

// A branch with its sub-branches moved to the end of the top level and back, the tree order
// following each move; against BM_TreeOrder, which makes it again.
void BM_TreeOrderFollowsMove(benchmark::State& state) {
    SampleData& data = sample();
    TTreeNode* moved = data.tree.TopItem(data.tree.TopCount() / 2);
    const int home = moved->Index();
    bool away = true;
    for (auto _ : state) {
        const auto [begin, end] = data.order->subtree(moved);
        data.tree.Move(moved, nullptr, away ? data.tree.TopCount() : home);
        data.order->moveBranch(moved, begin, end);
        away = !away;
    }
    if (!away) {
        const auto [begin, end] = data.order->subtree(moved);
        data.tree.Move(moved, nullptr, home);
        data.order->moveBranch(moved, begin, end);
    }
    const auto [begin, end] = data.order->subtree(moved);
    state.counters["branches"] = double(end - begin);
}

void BM_BareScan(benchmark::State& state) {
    SampleData& data = sample();
    const QString& query = kQueries[state.range(0)];
    static_assert(std::size(kQueries) == 4, "the benchmarks' range covers every query");
    std::size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (const Branch& branch : data.branches) {
            if (QStringView(branch.name).contains(query, Qt::CaseInsensitive) ||
                QStringView(branch.description).contains(query, Qt::CaseInsensitive) ||
                QStringView(branch.text).contains(query, Qt::CaseInsensitive)) {
                ++found;
            }
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(query.toStdString());
    state.counters["found"] = double(found);
}

// The branches in tree order with their folded names and own records: made again on the
// window's thread after every change of the tree, before the next query.
void BM_TreeOrder(benchmark::State& state) {
    SampleData& data = sample();
    for (auto _ : state) {
        const search::TreeOrder order(data.tree, *data.corpus);
        benchmark::DoNotOptimize(order.size());
    }
}

// --- reading the records after a change -------------------------------------------------

struct SampleBase {
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("Quorlent.mdb"));

    SampleBase() {
        branch_table::createBaseFile(path);
        const SqlcipherConnection base =
            SqlcipherConnection::open(path, branch_table::kPassword, {});
        base.execute("BEGIN");
        SqlStatement insert = base.prepare("INSERT INTO Tab_DB_Delphi_10 "
                                           "(Dat, Imya_vetok, Opisanie, Texty, RashirenieFile)"
                                           " VALUES ('10.12.2026', ?, ?, ?, 0)");
        for (const Branch& branch : sample().branches) {
            insert.bindText(1, branch.name.toUtf8());
            insert.bindText(2, branch.description.toUtf8());
            insert.bindText(3, branch.text.toUtf8());
            insert.step();
            insert.reset();
        }
        base.execute("COMMIT");
    }
};

SampleBase& sampleBase() {
    static SampleBase base;
    return base;
}

void BM_ReadCorpus(benchmark::State& state) {
    SqlcipherConnection::Options options;
    options.readOnly = true;
    const SqlcipherConnection base =
        SqlcipherConnection::open(sampleBase().path, branch_table::kPassword, options);
    for (auto _ : state) {
        const auto corpus = search::RecordCorpus::read(base);
        benchmark::DoNotOptimize(corpus.get());
    }
}

void BM_BareRead(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(sampleBase().path).constData(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    const QByteArray& key = branch_table::kPassword;
    sqlite3_key(db, key.constData(), int(key.size()));
    for (auto _ : state) {
        sqlite3_stmt* rows = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid, Imya_vetok, Opisanie, Texty FROM Tab_DB_Delphi_10",
                           -1, &rows, nullptr);
        qint64 bytes = 0;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            bytes += sqlite3_column_bytes(rows, 1) + sqlite3_column_bytes(rows, 2) +
                     sqlite3_column_bytes(rows, 3);
        }
        sqlite3_finalize(rows);
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_close(db);
}

} // namespace

BENCHMARK(BM_Search)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareScan)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extend)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeOrderFollowsMove)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FoldRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadCorpus)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BareRead)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
