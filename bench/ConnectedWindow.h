#pragma once

#include "ui/Form_Glavn.h"
#include "ui/ProgramWindows.h"

#include <QCoreApplication>
#include <QSize>
#include <QTimer>
#include <memory>

// The program's windows as a user has them after the connect: started in the current folder
// (its Data holds the base and the tree file), the splash closed by its timer, the main window
// shown at that size and the base connected.
inline std::unique_ptr<TForm_Glavn> startConnectedWindow(QSize size) {
    std::unique_ptr<TForm_Glavn> window = ui::createProgramWindows();
    TForm_Glavn* shown = window.get();
    QTimer::singleShot(0, shown, [shown] { shown->Timer1Timer(); });
    shown->show();
    shown->resize(size);
    shown->Button_podluchit_bazyClick();
    return window;
}
