// The program on big bases, through its real window: 101 100 and 1 010 100 branches of a
// realistic tree (big_bases_data.h), and 101 100 branches with 10 KB of text each (about
// 1 GB) beside the same tree with no texts. Measured:
//   the connect, in a process of its own for each round (click → tree shown; the start of
//   the process to a usable tree, the splash closed at once; resident memory after it; Ctrl+F
//   to the first results and the memory then), against a bare read of the names with the
//   stock sqlite3 API in the same run, from the record table and from the record name index;
//   the first connect of a base without that index, which makes it, and the index's size;
//   in a connected window: a click on a branch, an add, a move by Ctrl+Down, a sort of 1 000
//   sub-branches (each until it is durable: kept in the base with its record work), the tree
//   file catching up with an add, a search keystroke for a rare word and for one
//   frequent letter, and a move while the search window is open.
// At the end a table gives the medians of every figure and the ratios the targets name.
// The bases are generated on the first run (big_bases_data.h), several minutes and about
// 2 GB of disk; every round works on a copy, so the generated bases stay as made.
#include "BigBaseFigures.h"
#include "ConnectedWindow.h"
#include "big_bases_data.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordNameIndex.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "ui/Form_Glavn.h"
#include "ui/SearchBar.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>

namespace {

using big_bases::medianOf;
using big_bases::note;
using big_bases::residentMB;
using big_bases::Shape;

const Shape kShapes[] = {big_bases::kRealistic100k, big_bases::kRealistic1M, big_bases::kTexts100k,
                         big_bases::kNoTexts100k};
// The shapes whose commands are measured in a window (the text-less twin only connects).
const Shape kWindowShapes[] = {big_bases::kRealistic100k, big_bases::kRealistic1M,
                               big_bases::kTexts100k};

QElapsedTimer& sinceStart() {
    static QElapsedTimer timer;
    return timer;
}

// Waits, serving events, until the condition holds or a minute passed.
template <typename Condition> void waitFor(Condition condition) {
    if (condition()) {
        return;
    }
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition()) {
            loop.quit();
        }
    });
    QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
}

bool connected(const TForm_Glavn& window) {
    return window.TreeView1->isVisible() && !window.Button_podluchit_bazy->isVisible();
}

bool searchSettled(const TForm_Glavn& window) {
    return window.SearchBar1 &&
           window.SearchBar1->count()->text().startsWith(QStringLiteral("Найдено"));
}

// A copy of the shape's program folder, for one round.
std::unique_ptr<QTemporaryDir> copyOf(const Shape& shape) {
    auto copy = std::make_unique<QTemporaryDir>();
    const QString from = big_bases::programFolder(shape) + QStringLiteral("/Data");
    QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), from, copy->path()});
    // On the disk before the round starts, as a user's base is: otherwise the first sync of
    // the base inside the round would write out the whole copy.
    QProcess::execute(QStringLiteral("sync"),
                      {copy->path() + QStringLiteral("/Data/Quorlent.mdb"),
                       copy->path() + QStringLiteral("/Data/TreeView.dat")});
    return copy;
}

// --- the connect, in a process of its own -------------------------------------------------

// The child's side: starts the program's windows in the folder, connects, opens the search and
// prints what it measured as "name=value" words.
int probe(const QString& folder) {
    QDir::setCurrent(folder);
    std::unique_ptr<TForm_Glavn> window = ui::createProgramWindows();
    TForm_Glavn* shown = window.get();
    QTimer::singleShot(0, shown, [shown] { shown->Timer1Timer(); });
    shown->show();
    shown->resize(QSize(1920, 1080));
    QCoreApplication::processEvents();
    QElapsedTimer connect;
    connect.start();
    shown->Button_podluchit_bazyClick();
    waitFor([shown] { return connected(*shown); });
    const double connectMs = double(connect.nsecsElapsed()) / 1e6;
    const double startMs = double(sinceStart().nsecsElapsed()) / 1e6;
    const double connectedMB = residentMB();

    QElapsedTimer search;
    search.start();
    shown->N_poiskClick();
    shown->SearchBar1->field()->setText(QStringLiteral("договор"));
    waitFor([shown] { return searchSettled(*shown); });
    const double searchMs = double(search.nsecsElapsed()) / 1e6;
    QTextStream(stdout) << "connect_ms=" << connectMs << " start_ms=" << startMs
                        << " connected_MB=" << connectedMB << " search_ms=" << searchMs
                        << " search_MB=" << residentMB() << Qt::endl;
    return 0;
}

// The record name index taken out of the copy's base, as a base made by an earlier version
// lacks it; its size, from the pages it leaves free, in MB.
double dropNameIndex(const QTemporaryDir& copy) {
    const QString path = copy.path() + QStringLiteral("/Data/Quorlent.mdb");
    const auto base = infobase::SqlcipherConnection::open(path, infobase::branch_table::kPassword,
                                                          infobase::SqlcipherConnection::Options{});
    base.execute(QByteArray("DROP INDEX ") + infobase::record_name_index::kName);
    infobase::SqlStatement pages = base.prepare("PRAGMA freelist_count");
    pages.step();
    infobase::SqlStatement pageSize = base.prepare("PRAGMA page_size");
    pageSize.step();
    const double bytes = double(pages.columnInt64(0)) * double(pageSize.columnInt64(0));
    QProcess::execute(QStringLiteral("sync"), {path});
    return bytes / 1e6;
}

// The connect of the base as generated (`firstConnect` false: the record name index is there,
// as after the first connect), or of a base without the index, the connect making it first:
// its figures are noted with "first_" before their names.
void BM_Connect(benchmark::State& state, const Shape& shape, bool firstConnect) {
    big_bases::programFolder(shape);
    const std::string prefix = firstConnect ? "first_" : "";
    for (auto _ : state) {
        const std::unique_ptr<QTemporaryDir> copy = copyOf(shape);
        if (firstConnect) {
            note("name_index_MB", shape.name, dropNameIndex(*copy));
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--probe"), copy->path()});
        child.waitForFinished(-1);
        std::map<QString, double> figures;
        for (const QByteArray& word : child.readAllStandardOutput().trimmed().split(' ')) {
            const QList<QByteArray> pair = word.split('=');
            if (pair.size() == 2) {
                figures[QString::fromLatin1(pair[0])] = pair[1].toDouble();
            }
        }
        if (figures.size() != 5) {
            state.SkipWithError("the probe did not report");
            return;
        }
        state.SetIterationTime(figures["connect_ms"] / 1000);
        for (const auto& [name, value] : figures) {
            note(prefix + name.toStdString(), shape.name, value);
        }
    }
    for (const char* figure : {"start_ms", "connected_MB", "search_ms", "search_MB"}) {
        state.counters[figure] = medianOf(prefix + figure, shape.name);
    }
}

// The floor of the connect: the names and keys of every record read with the stock API, from
// the record table or from the record name index.
void BM_BareNames(benchmark::State& state, const Shape& shape, bool fromIndex) {
    const QByteArray select =
        QByteArray("SELECT rowid, Imya_vetok FROM Tab_DB_Delphi_10 ") +
        (fromIndex ? QByteArray("INDEXED BY ") + infobase::record_name_index::kName
                   : QByteArray("NOT INDEXED"));
    const QByteArray path =
        QFile::encodeName(big_bases::programFolder(shape) + QStringLiteral("/Data/Quorlent.mdb"));
    for (auto _ : state) {
        QElapsedTimer took;
        took.start();
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        const QByteArray& key = infobase::branch_table::kPassword;
        sqlite3_key(db, key.constData(), int(key.size()));
        sqlite3_stmt* rows = nullptr;
        sqlite3_prepare_v2(db, select.constData(), -1, &rows, nullptr);
        qint64 bytes = 0;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(rows, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(rows, 1));
            bytes += sqlite3_column_bytes(rows, 1);
        }
        sqlite3_finalize(rows);
        sqlite3_close(db);
        state.SetIterationTime(double(took.nsecsElapsed()) / 1e9);
        note(fromIndex ? "bare_names_index_ms" : "bare_names_ms", shape.name,
             double(took.nsecsElapsed()) / 1e6);
        state.counters["name_MB"] = double(bytes) / 1e6;
    }
}

// --- commands in a connected window ---------------------------------------------------------

struct Session {
    const Shape* shape = nullptr;
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<TForm_Glavn> window;
    int added = 0;
};

Session session;

// The connected window over a copy of the shape's folder; one shape's window at a time.
TForm_Glavn& windowOf(const Shape& shape) {
    if (session.shape != &shape) {
        session.window.reset();
        session = Session{};
        session.shape = &shape;
        session.folder = copyOf(shape);
        QDir::setCurrent(session.folder->path());
        session.window = startConnectedWindow(QSize(1920, 1080));
        TForm_Glavn* window = session.window.get();
        waitFor([window] { return connected(*window); });
    }
    return *session.window;
}

infobase::TTreeNode* leaf(TForm_Glavn& window, int top, int middle, int leaf) {
    return window.TreeNodes.TopItem(top)->Item(middle)->Item(leaf);
}

infobase::TTreeNode* sortBranch(TForm_Glavn& window) {
    for (int i = window.TreeNodes.TopCount() - 1; i >= 0; --i) {
        if (window.TreeNodes.TopItem(i)->Text() == big_bases::kSortBranch) {
            return window.TreeNodes.TopItem(i);
        }
    }
    return nullptr;
}

// Runs the command once per iteration, timing each round for the table.
template <typename Command>
void timeEach(benchmark::State& state, const Shape& shape, const char* figure, Command command) {
    for (auto _ : state) {
        QElapsedTimer took;
        took.start();
        command();
        state.SetIterationTime(double(took.nsecsElapsed()) / 1e9);
        note(figure, shape.name, double(took.nsecsElapsed()) / 1e6);
    }
}

void BM_Click(benchmark::State& state, const Shape& shape) {
    TForm_Glavn& window = windowOf(shape);
    // A branch with a description and a text, and one without.
    infobase::TTreeNode* shownInTurn[] = {leaf(window, 50, 5, 10), leaf(window, 50, 5, 11)};
    int round = 0;
    timeEach(state, shape, "click_ms", [&] {
        window.TreeNodes.setSelected(shownInTurn[++round % 2]);
        window.TreeView1Click();
    });
}

void BM_Add(benchmark::State& state, const Shape& shape) {
    TForm_Glavn& window = windowOf(shape);
    window.TreeNodes.setSelected(leaf(window, 60, 6, 60));
    int added = 0;
    timeEach(state, shape, "add_ms", [&] {
        window.Edit_Mame_Vetok->setText(QStringLiteral("Новая ветка %1").arg(++added));
        window.SpeedButton_vvod_vetkiClick();
    });
}

void BM_MoveDown(benchmark::State& state, const Shape& shape) {
    TForm_Glavn& window = windowOf(shape);
    window.TreeNodes.setSelected(leaf(window, 70, 7, 50));
    bool down = true;
    timeEach(state, shape, "move_ms", [&] {
        window.MoveSelectedBranch(down ? infobase::BranchStep::Down : infobase::BranchStep::Up);
        QCoreApplication::processEvents();
        down = !down;
    });
}

void BM_Sort1000(benchmark::State& state, const Shape& shape) {
    TForm_Glavn& window = windowOf(shape);
    infobase::TTreeNode* sorted = sortBranch(window);
    window.TreeNodes.setSelected(sorted);
    bool ascending = true;
    timeEach(state, shape, "sort_ms", [&] {
        window.sortBranches(sorted, ascending ? infobase::SortDirection::Ascending
                                              : infobase::SortDirection::Descending);
        ascending = !ascending;
    });
}

// How long the tree file takes to catch up with one add, all of it done at once: the work the
// rewrite does off the window's thread after a change (read the file, carry out the changes,
// write, sync and put it in place).
void BM_TreeFileCatchUp(benchmark::State& state, const Shape& shape) {
    TForm_Glavn& window = windowOf(shape);
    window.writeTreeFileNow();
    window.TreeNodes.setSelected(leaf(window, 61, 6, 61));
    int added = 0;
    for (auto _ : state) {
        window.Edit_Mame_Vetok->setText(QStringLiteral("Догоняющая ветка %1").arg(++added));
        window.SpeedButton_vvod_vetkiClick();
        QElapsedTimer took;
        took.start();
        window.writeTreeFileNow();
        state.SetIterationTime(double(took.nsecsElapsed()) / 1e9);
        note("tree_file_catch_up_ms", shape.name, double(took.nsecsElapsed()) / 1e6);
    }
}

// The search window open with results on screen.
SearchBar& openSearch(TForm_Glavn& window) {
    if (!window.SearchBar1 || !window.SearchBar1->isVisible()) {
        window.N_poiskClick();
    }
    window.SearchBar1->field()->setText(QStringLiteral("договор"));
    waitFor([&window] { return searchSettled(window); });
    return *window.SearchBar1;
}

void BM_Keystroke(benchmark::State& state, const Shape& shape, bool rare) {
    TForm_Glavn& window = windowOf(shape);
    SearchBar& bar = openSearch(window);
    // The last key of a rare word typed and taken back, or one letter found almost everywhere
    // typed over another.
    const QString inTurn[2] = {rare ? big_bases::kRareWord : QStringLiteral("с"),
                               rare ? big_bases::kRareWord.chopped(1) : QStringLiteral("д")};
    int typed = 0;
    timeEach(state, shape, rare ? "keystroke_rare_ms" : "keystroke_letter_ms", [&] {
        bar.field()->setText(inTurn[++typed % 2]);
        waitFor([&window] { return searchSettled(window); });
        bar.repaint();
    });
}

void BM_MoveWithSearchOpen(benchmark::State& state, const Shape& shape) {
    TForm_Glavn& window = windowOf(shape);
    openSearch(window);
    window.TreeNodes.setSelected(leaf(window, 70, 7, 50));
    bool down = true;
    timeEach(state, shape, "move_search_open_ms", [&] {
        window.MoveSelectedBranch(down ? infobase::BranchStep::Down : infobase::BranchStep::Up);
        QCoreApplication::processEvents();
        waitFor([&window] { return searchSettled(window); });
        window.SearchBar1->repaint();
        down = !down;
    });
}

template <typename Benchmark> void tune(Benchmark* benchmark, int iterations) {
    benchmark->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(iterations);
}

void registerAll() {
    for (const Shape& shape : kShapes) {
        tune(benchmark::RegisterBenchmark((std::string("BM_Connect/") + shape.name).c_str(),
                                          BM_Connect, shape, false),
             3);
        tune(benchmark::RegisterBenchmark(
                 (std::string("BM_ConnectMakingNameIndex/") + shape.name).c_str(), BM_Connect,
                 shape, true),
             3);
        tune(benchmark::RegisterBenchmark((std::string("BM_BareNames/") + shape.name).c_str(),
                                          BM_BareNames, shape, false),
             5);
        tune(
            benchmark::RegisterBenchmark((std::string("BM_BareNamesIndexed/") + shape.name).c_str(),
                                         BM_BareNames, shape, true),
            5);
    }
    for (const Shape& shape : kWindowShapes) {
        const std::string suffix = std::string("/") + shape.name;
        tune(benchmark::RegisterBenchmark(("BM_Click" + suffix).c_str(), BM_Click, shape), 20);
        tune(benchmark::RegisterBenchmark(("BM_Add" + suffix).c_str(), BM_Add, shape), 10);
        tune(benchmark::RegisterBenchmark(("BM_MoveDown" + suffix).c_str(), BM_MoveDown, shape),
             10);
        tune(benchmark::RegisterBenchmark(("BM_Sort1000" + suffix).c_str(), BM_Sort1000, shape), 6);
        tune(benchmark::RegisterBenchmark(("BM_TreeFileCatchUp" + suffix).c_str(),
                                          BM_TreeFileCatchUp, shape),
             5);
        tune(benchmark::RegisterBenchmark(("BM_KeystrokeRare" + suffix).c_str(), BM_Keystroke,
                                          shape, true),
             10);
        tune(benchmark::RegisterBenchmark(("BM_KeystrokeLetter" + suffix).c_str(), BM_Keystroke,
                                          shape, false),
             10);
        tune(benchmark::RegisterBenchmark(("BM_MoveWithSearchOpen" + suffix).c_str(),
                                          BM_MoveWithSearchOpen, shape),
             10);
    }
}

void printTable() {
    QTextStream out(stdout);
    big_bases::printMedians(out, {"100k", "1M", "100k-texts", "100k-no-texts"});
    big_bases::printRatio(out, "connect, 1 GB of texts / the same tree without texts",
                          medianOf("connect_ms", "100k-texts"),
                          medianOf("connect_ms", "100k-no-texts"));
    big_bases::printRatio(out, "bare read of the names, 1 GB of texts / without texts",
                          medianOf("bare_names_index_ms", "100k-texts"),
                          medianOf("bare_names_index_ms", "100k-no-texts"));
    big_bases::printRatio(out, "memory after the connect, 1 GB of texts / without texts",
                          medianOf("connected_MB", "100k-texts"),
                          medianOf("connected_MB", "100k-no-texts"));
    big_bases::printRatio(out, "connect at 1M / bare read of the names at 1M",
                          medianOf("connect_ms", "1M"), medianOf("bare_names_ms", "1M"));
    big_bases::printRatio(out, "click at 1M / click at 100k", medianOf("click_ms", "1M"),
                          medianOf("click_ms", "100k"));
    for (const char* shape : {"1M", "100k-texts"}) {
        out << QStringLiteral("%1 %2 ms\n")
                   .arg(QStringLiteral("search's share of a move at %1 (open - plain)")
                            .arg(QLatin1String(shape)),
                        -58)
                   .arg(medianOf("move_search_open_ms", shape) - medianOf("move_ms", shape), 0, 'f',
                        1);
    }
}

} // namespace

int main(int argc, char** argv) {
    sinceStart().start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--probe") {
        return probe(QString::fromLocal8Bit(argv[2]));
    }
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    session.window.reset(); // while the application object still exists
    printTable();
    return 0;
}
