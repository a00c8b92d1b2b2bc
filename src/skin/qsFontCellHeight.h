#pragma once

#include <QFont>

// A font given by its cell height in pixels (the character height plus the internal leading),
// the way window fonts are often specified. The face's own ascent and descent decide how large
// its characters come out, so that a 13-pixel Tahoma cell draws 11-pixel characters.
QFont FontOfCellHeight(const QString& family, int cellHeight, bool bold);

// The cell of a font as window text is laid out with it: the ascent above the baseline and
// the descent below it, from the face's window metrics (which leave room for accents above
// capitals). A line of text is Height() pixels high with its baseline Ascent pixels down.
struct FontCell {
    int Ascent = 0;
    int Descent = 0;
    int Height() const { return Ascent + Descent; }
};
FontCell CellOf(const QFont& font);

// The average width of the face's characters as the face itself states it (the OS/2 table's
// xAvgCharWidth), in pixels; Qt's own estimate where the face states none. Window text sets
// its tab stops 8 such widths apart.
int AverageCharWidth(const QFont& font);

// How far Qt's text drawing must move down a line laid out at the top of a rectangle so that
// its baseline sits on the cell's baseline.
int CellBaselineShift(const QFont& font);
