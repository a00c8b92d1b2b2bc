#pragma once

#include "skin/qsSkinFormTypes.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPixmap>
#include <vector>

class QPainter;

// Drawing of the default frame: the caption strip with its text and buttons, and the border.
namespace qsframe {

// The figure drawn on a caption button; some buttons show a second figure in another state.
enum class TqsCaptionGlyph { Close, Maximize, Restore, Minimize, SystemMenu, RollUp, Unroll, Tray };

// Everything the caption strip shows, gathered by the frame.
struct TqsCaptionLook {
    QString Caption;
    QFont Font;
    QColor TextColor;
    Qt::LayoutDirection Direction = Qt::LeftToRight;
    bool Maximized = false;
    bool RolledUp = false;
};

// Where the caption text goes in the strip: the text shortened to the space the buttons
// leave, and its extent in strip coordinates.
struct TqsCaptionTextPlace {
    QString Text;
    QRect Extent;
};
TqsCaptionTextPlace PlaceCaptionText(int outerWidth, const std::vector<TqsCaptionButton>& buttons,
                                     const QString& caption, const QFont& font);

// Draws one caption button into the strip; its window rectangle is shifted by the strip's
// offset from the window origin.
void PaintCaptionButton(QPainter& painter, const TqsCaptionButton& button, QPoint stripOffset,
                        TqsCaptionGlyph glyph, const QPalette& palette);

// The glyph a button shows in the window's current state.
TqsCaptionGlyph GlyphFor(const TqsCaptionButton& button, const TqsCaptionLook& look);

// Renders the caption strip of a window of the given outer width off screen.
QPixmap RenderCaptionStrip(int outerWidth, const std::vector<TqsCaptionButton>& buttons,
                           const TqsCaptionLook& look, const QPalette& palette);

// Draws the three one-pixel rectangles of the border inward from the window's edge.
void PaintBorder(QPainter& painter, QSize outer, const QPalette& palette);

} // namespace qsframe
