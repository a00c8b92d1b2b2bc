#pragma once

#include <QString>

namespace ui {

// The program's name as boxes show it: the executable's file name without extension.
QString programTitle();

// The standard error box for a failure that no command caught: error icon, OK button,
// the failure's own text, titled with the program's name. Modal; returns when closed.
void showGeneralErrorReport(const QString& text);

} // namespace ui
