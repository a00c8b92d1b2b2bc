// The program run as its entry runs it, in the current folder, for tests that start it as a
// separate process. Every window a person would answer is answered, and each one is written
// to the standard output as one line: its kind, a tab, its text with each carriage return
// written as "\r". Once the main window is on screen, the line "started" follows.
#include "ModalWatch.h"
#include "app/QuorlentApplication.h"
#include "app/Startup.h"
#include "platform/ProgramFonts.h"

#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QuorlentApplication application(argc, argv);
    platform::registerProgramFonts();
    ModalWatch watch;
    qsizetype written = 0;
    const auto writeSeen = [&] {
        for (; written < watch.seen.size(); ++written) {
            const ModalWatch::Seen& window = watch.seen[written];
            QString text = window.text;
            text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
            std::printf("%s\t%s\n", qPrintable(window.kind), text.toUtf8().constData());
        }
        std::fflush(stdout);
    };
    // The window is noted after this call: written on the next turn of the loop, or at the end.
    watch.onShown = [&](QWidget*) { QTimer::singleShot(0, &watch, writeSeen); };
    QTimer started;
    QObject::connect(&started, &QTimer::timeout, [&started, &writeSeen] {
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("Form_Glavn") && window->isVisible()) {
                writeSeen();
                std::printf("started\n");
                std::fflush(stdout);
                started.stop();
            }
        }
    });
    started.start(10);
    const int exitCode = runProgram();
    writeSeen();
    return exitCode;
}
