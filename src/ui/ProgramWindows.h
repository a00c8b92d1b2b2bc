#pragma once

#include <memory>

class TForm_Glavn;

namespace ui {

// Creates the program's windows in their order, all hidden: the main window (its
// FormCreate runs now), then the splash window, then the about window, which belong to
// the main window and go with it.
std::unique_ptr<TForm_Glavn> createProgramWindows();

} // namespace ui
