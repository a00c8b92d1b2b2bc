#include "app/Startup.h"

#include "ui/Form_Glavn.h"
#include "ui/ProgramWindows.h"
#include "ui/VisualStyle.h"

#include <QApplication>

int runProgram() {
    // The main window has no owner, so it carries the program's task-bar button; the
    // splash and about windows belong to it and get none.
    ui::applyVisualStyle(QStringLiteral("Amethyst Kamri"));
    const std::unique_ptr<TForm_Glavn> mainWindow = ui::createProgramWindows();
    mainWindow->showMaximized();
    return QApplication::exec();
}
