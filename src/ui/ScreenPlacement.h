#pragma once

class QWidget;

namespace ui {

// Moves a top-level window so that its frame is centred on the primary screen.
void centreOnScreen(QWidget* window);

} // namespace ui
