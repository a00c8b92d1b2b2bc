#pragma once

#include <QByteArray>

namespace platform {

// A copy of the TrueType font `font` whose glyphs have heavier upright strokes: every
// outline is widened by `growthEm` of the em towards its right, while its left edges, every
// height and depth (so accents stay where they were), the advances, kerning and line
// metrics stay as they are. Bitmap strikes are kept as they are: smoothed text is drawn
// from the outlines, and the strikes' presence is what makes the line metrics come out in
// whole pixels. Empty when `font` cannot be read.
QByteArray withHeavierStems(const QByteArray& font, double growthEm);

} // namespace platform
