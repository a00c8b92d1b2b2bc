// Start-up latency: from starting the program's process to its main window shown on screen,
// less the time the splash window stands (its timer holds it for 1000 ms), in an application
// folder whose tree file holds no node and in one whose tree file holds 100 000.
//
// Each measured start is a new process: this program runs itself with "--start FOLDER",
// which goes through the program's own start-up (application object, fonts, visual style,
// the three windows, the maximised show with the splash and the tree file) and reports on
// its standard output as soon as the main window is exposed. The clock runs in the parent
// from just before the process is started to that report. Other processes disturb single
// starts a lot: run with --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true
// and compare the medians.
#include "SampleTree.h"
#include "app/QuorlentApplication.h"
#include "infobase/tree/TreeFile.h"
#include "platform/ProgramFonts.h"
#include "ui/Form_Glavn.h"
#include "ui/Form_zastavka.h"
#include "ui/ProgramWindows.h"
#include "ui/VisualStyle.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

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

// The child: the program's start-up up to the main window on screen. Prints
// "shown <splash nanoseconds>" at that moment, then ends without the event loop.
int startProgram(int argc, char** argv) {
    QuorlentApplication application(argc, argv);
    platform::registerProgramFonts();
    ui::applyVisualStyle(QStringLiteral("Amethyst Kamri"));
    std::unique_ptr<TForm_Glavn> window = ui::createProgramWindows();
    ShownTime splash(window->Form_zastavka);
    window->showMaximized();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        return 1;
    }
    std::printf("shown %lld\n", static_cast<long long>(splash.nanoseconds()));
    std::fflush(stdout);
    return 0;
}

// Another child: writes the tree file of that many nodes into the folder's Data. Run apart so
// that the measuring process keeps a small heap: a large one slows down every process start.
int writeTree(const char* folder, const char* nodes) {
    infobase::TTreeNodes tree;
    if (std::atoi(nodes) != 0) {
        growSampleTree(tree);
    }
    infobase::writeTreeFile(QDir(QString::fromLocal8Bit(folder)).filePath("Data/TreeView.dat"),
                            infobase::TreeViewState(), tree);
    return 0;
}

void BM_StartUpToMainWindow(benchmark::State& state) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("Data"));
    if (QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--write-tree"), folder.path(),
                           QString::number(state.range(0))}) != 0) {
        state.SkipWithError("the tree file was not written");
        return;
    }
    for (auto _ : state) {
        QProcess program;
        program.setWorkingDirectory(folder.path());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        program.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start")});
        QByteArray line;
        while (!line.endsWith('\n') && program.waitForReadyRead(30000)) {
            line += program.readLine();
        }
        const qint64 elapsed = clock.nsecsElapsed();
        program.waitForFinished();
        if (!line.startsWith("shown ")) {
            state.SkipWithError("the main window was not shown");
            break;
        }
        const qint64 splash = line.mid(6).trimmed().toLongLong();
        state.SetIterationTime(double(elapsed - splash) / 1e9);
    }
    state.counters["nodes"] = double(state.range(0) == 0 ? 0 : 100000);
}
BENCHMARK(BM_StartUpToMainWindow)
    ->Arg(0)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc > 1 && std::strcmp(argv[1], "--start") == 0) {
        return startProgram(argc, argv);
    }
    if (argc > 3 && std::strcmp(argv[1], "--write-tree") == 0) {
        return writeTree(argv[2], argv[3]);
    }
    QCoreApplication application(argc, argv); // runs the started processes
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
