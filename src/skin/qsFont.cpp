#include "skin/qsFont.h"

#include "skin/qsDrawing.h"
#include "skin/qsFontCellHeight.h"

QFont FontDescription::toQFont() const {
    QFont font = Height > 0 ? FontOfCellHeight(Name, Height, Bold) : QFont(Name);
    font.setBold(Bold);
    font.setItalic(Italic);
    font.setUnderline(Underline);
    font.setStrikeOut(StrikeOut);
    if (Height < 0) {
        font.setPixelSize(-Height);
    }
    return font;
}

QColor FontDescription::textColor(const QPalette& palette) const {
    return Color.isValid() ? Color : qsdraw::WindowText(palette);
}

FontDescription FontDescription::fromQFont(const QFont& font) {
    FontDescription described;
    described.Name = font.family();
    described.Bold = font.bold();
    described.Italic = font.italic();
    described.Underline = font.underline();
    described.StrikeOut = font.strikeOut();
    if (font.pixelSize() > 0) {
        described.Height = -font.pixelSize();
    } else {
        constexpr qreal kPixelsPerPoint = 96.0 / 72.0;
        described.Height = -qRound(font.pointSizeF() * kPixelsPerPoint);
    }
    return described;
}
