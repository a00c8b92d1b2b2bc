#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

// A font as the message component and its controls describe it: a face, a height in the
// platform's convention, a style and a colour. A negative height is the character height
// in pixels (Qt's pixel size); a positive height is the cell height, the face's window ascent
// plus descent (FontCell), so "Tahoma" of height 13 has 11-pixel characters.
struct FontDescription {
    QString Name = QStringLiteral("Tahoma");
    int Height = 13;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    // An invalid colour stands for the system's window-text colour.
    QColor Color;

    // The Qt font of this description; a positive height picks the character height whose
    // cell comes closest to it.
    QFont toQFont() const;

    // The colour to draw text in with the given palette.
    QColor textColor(const QPalette& palette) const;

    // Whether the height, in the platform's convention, is an odd number: buttons and
    // check boxes then move their caption up by one pixel.
    bool hasOddHeight() const { return Height % 2 != 0; }

    // The description of a Qt font (its pixel size, or its point size at 96 dots per inch,
    // as a character height).
    static FontDescription fromQFont(const QFont& font);

    bool operator==(const FontDescription&) const = default;
};
