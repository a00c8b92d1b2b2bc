#include "app/Startup.h"

#include "app/TerminationRequest.h"
#include "infobase/AppPaths.h"
#include "infobase/wholefile/KilledRunLeftovers.h"
#include "platform/FolderLock.h"
#include "platform/Folders.h"
#include "ui/Form_Glavn.h"
#include "ui/ProgramWindows.h"
#include "ui/StandaloneMessage.h"
#include "ui/VisualStyle.h"

#include <QApplication>
#include <QDir>

int runProgram() {
    ui::applyVisualStyle(QStringLiteral("Amethyst Kamri"));
    // One running program per application folder: two would each rewrite the whole tree
    // file over the other's branches and remove Temp under each other. A second start says
    // so and ends before it touches anything in the folder. Where the folder cannot be
    // locked at all, the program runs as it would without the guard.
    // The lock covers the folder the data really lies in too: two application folders that
    // share one Data through a symbolic link are one folder to it.
    const QString folder = infobase::AppPaths::fromCurrentDirectory().base;
    const platform::FolderLocks folderLocks(infobase::AppPaths{folder}.lockedFolders());
    if (folderLocks.heldElsewhere()) {
        ui::showStandaloneMessage(
            QStringLiteral("Программа уже работает с папкой\r%1")
                .arg(QDir::toNativeSeparators(folderLocks.folderHeldElsewhere())));
        return 1;
    }
    // What a killed run left is cleared only by the one program on the folder.
    if (folderLocks.held()) {
        infobase::clearKilledRunLeftovers(infobase::AppPaths{folder});
    }
    // The main window has no owner, so it carries the program's task-bar button; the
    // splash and about windows belong to it and get none.
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
