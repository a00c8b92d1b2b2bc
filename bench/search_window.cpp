// A keystroke in the search window of a program whose tree has 100 000 branches and whose
// base has a record for each (60-byte descriptions, 200-byte texts, Cyrillic): the query
// runs, the list takes the results and the window paints the rows on screen, their
// excerpts read from the base. What a person waits for between two keys.
//
// Also what the open search window adds to a command: a move, a rename (the program's own
// commands) and a new text written by another program, each timed with the window open and
// with it closed (the floor, measured in the same run), until the results on screen are new;
// a word typed key by key, each key extending the query before it; and the search's memory
// against the UTF-8 bytes it searches. Compare medians:
//   bench_search_window --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "ConnectedWindow.h"
#include "GuiBenchmarkMain.h"
#include "SampleTree.h"
#include "infobase/search/BranchSearch.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "ui/Form_Glavn.h"
#include "ui/SearchBar.h"
#include "ui/TreeModelAdapter.h"

#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// Words up to about that many UTF-8 bytes, a different mix for each number.
QString words(int number, int bytes) {
    static const char* const kWords[] = {"договор", "аренда", "склад",  "ключи",   "охрана",
                                         "письмо",  "счёт",   "оплата", "встреча", "проект",
                                         "отчёт",   "дом",    "сад",    "ремонт",  "товар"};
    QString text = number % 100 == 0 ? QStringLiteral("молоко") : QString();
    for (int i = 0; text.toUtf8().size() < bytes - 16; ++i) {
        text += u' ' + QString::fromUtf8(kWords[(number * 7 + i * 3) % std::size(kWords)]);
    }
    return text.trimmed();
}

struct Program {
    QTemporaryDir folder;
    std::unique_ptr<TForm_Glavn> window;
    qint64 textBytes = 0; // the UTF-8 bytes of every name, description and text
};

void settle(TForm_Glavn& window) {
    if (window.SearchBar1->count()->text().startsWith(QStringLiteral("Найдено"))) {
        return;
    }
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (window.SearchBar1->count()->text().startsWith(QStringLiteral("Найдено"))) {
            loop.quit();
        }
    });
    poll.start(1);
    loop.exec();
}

// Until the results on screen are new, when the window is open; the work a command queues
// either way.
void settleIfOpen(TForm_Glavn& window, bool open) {
    QCoreApplication::processEvents();
    if (open) {
        settle(window);
        window.SearchBar1->repaint();
    }
}

Program& program() {
    static Program* made = [] {
        auto* p = new Program;
        QDir(p->folder.path()).mkpath(QStringLiteral("Data"));
        QDir::setCurrent(p->folder.path());
        const QString basePath = p->folder.filePath(QStringLiteral("Data/Quorlent.mdb"));
        infobase::branch_table::createBaseFile(basePath);
        infobase::TTreeNodes nodes;
        growSampleTree(nodes);
        {
            auto base = infobase::SqlcipherConnection::open(basePath,
                                                            infobase::branch_table::kPassword, {});
            base.execute("BEGIN");
            infobase::SqlStatement insert =
                base.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, "
                             "RashirenieFile) VALUES ('01.01.2026', ?, ?, ?, 0)");
            int number = 0;
            for (infobase::TTreeNode* node = nodes.getFirstNode(); node; node = node->GetNext()) {
                const QByteArray name = node->Text().toUtf8();
                const QByteArray description = words(++number, 60).toUtf8();
                const QByteArray text = words(number * 13, 200).toUtf8();
                insert.bindText(1, name);
                insert.bindText(2, description);
                insert.bindText(3, text);
                p->textBytes += name.size() + description.size() + text.size();
                insert.step();
                insert.reset();
            }
            base.execute("COMMIT");
        }
        infobase::writeTreeFile(p->folder.filePath(QStringLiteral("Data/TreeView.dat")),
                                infobase::TreeViewState{}, nodes);

        p->window = startConnectedWindow(QSize(1920, 1080));
        TForm_Glavn* window = p->window.get();
        window->N_poiskClick();
        window->SearchBar1->field()->setText(QStringLiteral("молок"));
        settle(*window);
        return p;
    }();
    return *made;
}

void BM_Keystroke(benchmark::State& state) {
    TForm_Glavn& window = *program().window;
    SearchBar& bar = *window.SearchBar1;
    // Two queries typed in turn: a word in one text of a hundred, or one letter in almost
    // every branch (100 000 rows for the list).
    const QString queries[2][2] = {{QStringLiteral("молоко"), QStringLiteral("молок")},
                                   {QStringLiteral("а"), QStringLiteral("р")}};
    int typed = 0;
    for (auto _ : state) {
        bar.field()->setText(queries[state.range(0)][typed++ % 2]);
        bar.repaint();
    }
    QString digits = bar.count()->text();
    digits.removeIf([](QChar c) { return !c.isDigit(); });
    state.counters["found"] = digits.toDouble();
}

// A word typed key by key: every key but the first extends the query before it.
void BM_KeystrokeExtending(benchmark::State& state) {
    TForm_Glavn& window = *program().window;
    SearchBar& bar = *window.SearchBar1;
    const QString word = QStringLiteral("молоко");
    int typed = 0;
    for (auto _ : state) {
        bar.field()->setText(word.left(typed++ % word.size() + 1));
        bar.repaint();
    }
    state.counters["searchBytes"] = double(bar.search().memoryBytes());
    state.counters["textBytes"] = double(program().textBytes);
}

// A command, then the results on screen as new as the base: with the search window open
// (range 1) or closed (range 0, the floor). Commands: 0 a move, 1 a rename, 2 another
// program's new text of one branch.
void BM_Command(benchmark::State& state) {
    TForm_Glavn& window = *program().window;
    SearchBar& bar = *window.SearchBar1;
    const bool open = state.range(1) == 1;
    if (open && !bar.isVisible()) {
        window.N_poiskClick();
        bar.field()->setText(QStringLiteral("молок"));
    } else if (!open) {
        bar.close();
    }
    settleIfOpen(window, open);
    infobase::TTreeNode* branch = window.TreeNodes.TopItem(window.TreeNodes.TopCount() / 2);
    window.TreeView1->setCurrentIndex(window.TreeModel->indexOf(branch));
    window.TreeView1Click();
    const QString names[2] = {branch->Text(), branch->Text() + QStringLiteral(" 2")};
    const QString path = program().folder.filePath(QStringLiteral("Data/Quorlent.mdb"));
    auto other = infobase::SqlcipherConnection::open(path, infobase::branch_table::kPassword, {});
    infobase::SqlStatement write =
        other.prepare("UPDATE Tab_DB_Delphi_10 SET Texty = ? WHERE rowid = 7");
    const qint64 readBefore = bar.search().rowsRead();
    int turn = 0;
    for (auto _ : state) {
        ++turn;
        switch (state.range(0)) {
        case 0:
            window.MoveSelectedBranch(turn % 2 ? infobase::BranchStep::Down
                                               : infobase::BranchStep::Up);
            break;
        case 1:
            window.Edit_Mame_Vetok->setText(names[turn % 2]);
            window.SpeedButton3Click();
            break;
        default:
            write.bindText(1, turn % 2 ? QByteArray("молоко") : QByteArray("вода"));
            write.step();
            write.reset();
            // What the window does before it paints, and while it waits for input.
            QCoreApplication::sendEvent(&bar, new QEvent(QEvent::UpdateRequest));
            break;
        }
        settleIfOpen(window, open);
    }
    static const char* const kCommands[] = {"move", "rename", "another program's text"};
    state.SetLabel(std::string(kCommands[state.range(0)]) + (open ? ", search open" : ""));
    if (open) {
        state.counters["rowsReadPerCommand"] =
            double(bar.search().rowsRead() - readBefore) / double(state.iterations());
    }
}

} // namespace

BENCHMARK(BM_Keystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeystrokeExtending)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Command)
    ->ArgsProduct({{0, 1, 2}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    return runGuiBenchmarks(argc, argv, [] { program().window.reset(); });
}
