// A keystroke in the search window of a program whose tree has 100 000 branches and whose
// base has a record for each (60-byte descriptions, 200-byte texts, Cyrillic): the query
// runs, the list takes the results and the window paints the rows on screen, their
// excerpts read from the base. What a person waits for between two keys.
#include "ConnectedWindow.h"
#include "GuiBenchmarkMain.h"
#include "SampleTree.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "ui/Form_Glavn.h"
#include "ui/SearchBar.h"

#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
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
};

void settle(TForm_Glavn& window) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (window.SearchBar1->count()->text().startsWith(QStringLiteral("Найдено"))) {
            loop.quit();
        }
    });
    poll.start(5);
    loop.exec();
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
                insert.bindText(1, node->Text().toUtf8());
                insert.bindText(2, words(++number, 60).toUtf8());
                insert.bindText(3, words(number * 13, 200).toUtf8());
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

} // namespace

BENCHMARK(BM_Keystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    return runGuiBenchmarks(argc, argv, [] { program().window.reset(); });
}
