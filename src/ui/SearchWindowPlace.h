#pragma once

#include <QRect>
#include <QSize>

namespace ui {

// Where the search window opens, as its frame on the screen, so that it hides none of the
// branch panel's controls: beside the main window's frame (at its right, else at its left)
// when the screen has room for the whole window there, level with the main window's top;
// else over the picture pane (given on the screen), at the pane's bottom, no wider than the
// pane and at most two thirds of its height, so that the pane's upper part, where a hit in a
// text is shown, stays in sight. Always inside the screen's available area.
QRect searchWindowFrame(const QRect& mainFrame, const QRect& pane, const QRect& screen,
                        QSize wanted);

} // namespace ui
