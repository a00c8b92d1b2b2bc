#pragma once

class QWidget;

namespace ui {

// Moves a top-level window so that its frame is centred on the primary screen. A frame the
// desktop has not measured yet counts as none.
void centreOnScreen(QWidget* window);

// Centres the window, frame included, each time it is shown. The desktop often measures its
// frame only after the window appears; the window is centred again as soon as it has.
void centreOnScreenWhenShown(QWidget* window);

} // namespace ui
