// Start-up latency: from creating the program's windows to the main window shown on
// screen, less the time the splash window stands (its timer holds it for 1000 ms), in an
// application folder whose tree file holds no node and one whose tree file holds 100 000.
// The application object and the fonts are made once per process and not counted.
#include "infobase/TreeFile.h"
#include "platform/ProgramFonts.h"
#include "ui/Form_Glavn.h"
#include "ui/Form_zastavka.h"
#include "ui/ProgramWindows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

// 100 branches of 9 sub-branches of 110 leaves each: 100 + 900 + 99 000 nodes.
void growTree(infobase::TTreeNodes& tree, int nodes) {
    if (nodes == 0) {
        return;
    }
    tree.BeginUpdate();
    for (int a = 0; a < 100; ++a) {
        infobase::TTreeNode* branch = tree.AddChild(nullptr, QStringLiteral("Ветка %1").arg(a));
        for (int b = 0; b < 9; ++b) {
            infobase::TTreeNode* sub =
                tree.AddChild(branch, QStringLiteral("Подветка %1.%2").arg(a).arg(b));
            for (int c = 0; c < 110; ++c) {
                tree.AddChild(sub, QStringLiteral("Запись %1.%2.%3").arg(a).arg(b).arg(c));
            }
        }
    }
    tree.EndUpdate();
}

// Measures how long a widget stays shown.
class ShownTime : public QObject {
public:
    explicit ShownTime(QWidget* watched) { watched->installEventFilter(this); }
    qint64 nanoseconds() const { return shownFor_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            clock_.start();
        } else if (event->type() == QEvent::Hide && clock_.isValid()) {
            shownFor_ += clock_.nsecsElapsed();
            clock_.invalidate();
        }
        return false;
    }

private:
    QElapsedTimer clock_;
    qint64 shownFor_ = 0;
};

void BM_StartUpToMainWindow(benchmark::State& state) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("Data"));
    {
        infobase::TTreeNodes tree;
        growTree(tree, static_cast<int>(state.range(0)));
        infobase::writeTreeFile(folder.filePath(QStringLiteral("Data/TreeView.dat")),
                                infobase::TreeViewState(), tree);
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        std::unique_ptr<TForm_Glavn> window = ui::createProgramWindows();
        ShownTime splash(window->Form_zastavka);
        window->showMaximized();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            state.SkipWithError("the main window was not shown");
            break;
        }
        const qint64 elapsed = clock.nsecsElapsed() - splash.nanoseconds();
        state.SetIterationTime(double(elapsed) / 1e9);
        state.counters["nodes"] = double(window->TreeNodes.Count());
    }
    QDir::setCurrent(previous);
}
BENCHMARK(BM_StartUpToMainWindow)
    ->Arg(0)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    platform::registerProgramFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
