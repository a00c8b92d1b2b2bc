#include "skin/qsFont.h"

#include "skin/qsDrawing.h"
#include "skin/qsFontCellHeight.h"

QFont FontSpec::toQFont() const {
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

QColor FontSpec::textColor(const QPalette& palette) const {
    return Color.isValid() ? Color : qsdraw::WindowText(palette);
}

FontSpec FontSpec::fromQFont(const QFont& font) {
    FontSpec spec;
    spec.Name = font.family();
    spec.Bold = font.bold();
    spec.Italic = font.italic();
    spec.Underline = font.underline();
    spec.StrikeOut = font.strikeOut();
    if (font.pixelSize() > 0) {
        spec.Height = -font.pixelSize();
    } else {
        constexpr qreal kPixelsPerPoint = 96.0 / 72.0;
        spec.Height = -qRound(font.pointSizeF() * kPixelsPerPoint);
    }
    return spec;
}
