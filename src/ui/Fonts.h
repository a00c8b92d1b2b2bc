#pragma once

#include <QFont>

namespace ui {

// Fonts are given by character height in pixels (the em size), as the windows are
// designed: 11 px is 8 pt, 16 px 12 pt, 19 px 14 pt and 21 px 16 pt at 96 dpi.
QFont tahoma(int characterHeight);
QFont tahomaBold(int characterHeight);
// Drawn in an outline face of the same look where MS Sans Serif has no outlines.
QFont msSansSerifBold(int characterHeight);

} // namespace ui
