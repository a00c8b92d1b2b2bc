#include "app/Startup.h"

#include "app/TerminationRequest.h"
#include "infobase/AppPaths.h"
#include "platform/Folders.h"
#include "ui/Form_Glavn.h"
#include "ui/ProgramWindows.h"
#include "ui/VisualStyle.h"

#include <QApplication>

int runProgram() {
    // The main window has no owner, so it carries the program's task-bar button; the
    // splash and about windows belong to it and get none.
    ui::applyVisualStyle(QStringLiteral("Amethyst Kamri"));
    const std::unique_ptr<TForm_Glavn> mainWindow = ui::createProgramWindows();
    // A request from the system ends the run as closing the window does (Temp removed, a
    // pending change dropped), but without the closing messages: nobody is there to answer
    // them. Every open window's loop ends, a message's included.
    bool endRequested = false;
    watchTerminationRequests([window = mainWindow.get(), &endRequested] {
        endRequested = true;
        platform::removeFolderTree(infobase::AppPaths{window->Base}.tempFolder());
        QCoreApplication::exit(0);
    });
    mainWindow->showMaximized();
    // The show step runs the splash and its messages in loops of their own; a request that
    // ended them must not be followed by the main loop, which would forget it.
    return endRequested ? 0 : QApplication::exec();
}
