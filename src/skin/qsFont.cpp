#include "skin/qsFont.h"

#include "skin/qsDrawing.h"

#include <QFontMetricsF>
#include <QHash>

namespace {

// Cell height (ascent plus descent) of a face per pixel of character height.
qreal cellPerPixel(const QFont& face) {
    static QHash<QString, qreal> cache;
    const QString key = face.key();
    if (const auto it = cache.constFind(key); it != cache.cend()) {
        return *it;
    }
    QFont probe = face;
    constexpr int kProbePixels = 1000;
    probe.setPixelSize(kProbePixels);
    const QFontMetricsF metrics(probe);
    const qreal ratio = (metrics.ascent() + metrics.descent()) / kProbePixels;
    cache.insert(key, ratio);
    return ratio;
}

} // namespace

QFont FontSpec::toQFont() const {
    QFont font(Name);
    font.setBold(Bold);
    font.setItalic(Italic);
    font.setUnderline(Underline);
    font.setStrikeOut(StrikeOut);
    if (Height < 0) {
        font.setPixelSize(-Height);
    } else if (Height > 0) {
        const qreal ratio = cellPerPixel(font);
        font.setPixelSize(std::max(1, qRound(Height / (ratio > 0 ? ratio : 1.0))));
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
