#pragma once

#include <QString>

namespace ui {

// Shows a text in the program's message window (information icon, the one button "&Yes")
// when no main window exists to own it. Modal; returns when the window closes.
void showStandaloneMessage(const QString& text);

} // namespace ui
