#pragma once

#include <QFont>

// A font given by its cell height in pixels (the character height plus the internal leading),
// the way window fonts are often specified. The face's own ascent and descent decide how large
// its characters come out, so that a 13-pixel Tahoma cell draws 11-pixel characters.
QFont FontOfCellHeight(const QString& family, int cellHeight, bool bold);
