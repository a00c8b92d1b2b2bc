#include "skin/qsSkinFormPaint.h"

#include "skin/qsDrawing.h"
#include "skin/qsFontCellHeight.h"
#include "skin/qsSkinFormGeometry.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <span>

namespace qsframe {
namespace {

// A one-pixel line from one glyph point to another, the end point excluded.
struct GlyphLine {
    int x1, y1, x2, y2;
};

constexpr std::array kCloseLines{GlyphLine{1, 1, 9, 9}, GlyphLine{9, 1, 1, 9},
                                 GlyphLine{2, 1, 10, 9}, GlyphLine{8, 1, 0, 9}};
constexpr std::array kMaximizeLines{GlyphLine{0, 0, 10, 0}, GlyphLine{0, 1, 10, 1},
                                    GlyphLine{0, 2, 0, 9}, GlyphLine{9, 2, 9, 9},
                                    GlyphLine{1, 8, 9, 8}};
constexpr std::array kRestoreLines{
    GlyphLine{3, 0, 10, 0}, GlyphLine{3, 1, 10, 1}, GlyphLine{9, 2, 9, 6},
    GlyphLine{7, 5, 9, 5},  GlyphLine{0, 3, 7, 3},  GlyphLine{0, 4, 7, 4},
    GlyphLine{0, 5, 0, 9},  GlyphLine{6, 5, 6, 9},  GlyphLine{1, 8, 6, 8}};
constexpr std::array kMinimizeLines{GlyphLine{1, 7, 8, 7}, GlyphLine{1, 8, 8, 8}};
constexpr std::array kSystemMenuLines{GlyphLine{1, 4, 9, 4}, GlyphLine{1, 5, 9, 5}};
constexpr std::array kRollUpLines{GlyphLine{1, 6, 10, 6}, GlyphLine{2, 5, 9, 5},
                                  GlyphLine{3, 4, 8, 4}, GlyphLine{4, 3, 7, 3},
                                  GlyphLine{5, 2, 6, 2}};
constexpr std::array kUnrollLines{GlyphLine{1, 2, 10, 2}, GlyphLine{2, 3, 9, 3},
                                  GlyphLine{3, 4, 8, 4}, GlyphLine{4, 5, 7, 5},
                                  GlyphLine{5, 6, 6, 6}};
constexpr std::array kTrayLines{GlyphLine{4, 7, 10, 7}, GlyphLine{4, 8, 10, 8},
                                GlyphLine{8, 2, 8, 7}, GlyphLine{9, 2, 9, 7}};

std::span<const GlyphLine> LinesOf(TqsCaptionGlyph glyph) {
    switch (glyph) {
    case TqsCaptionGlyph::Close:
        return kCloseLines;
    case TqsCaptionGlyph::Maximize:
        return kMaximizeLines;
    case TqsCaptionGlyph::Restore:
        return kRestoreLines;
    case TqsCaptionGlyph::Minimize:
        return kMinimizeLines;
    case TqsCaptionGlyph::SystemMenu:
        return kSystemMenuLines;
    case TqsCaptionGlyph::RollUp:
        return kRollUpLines;
    case TqsCaptionGlyph::Unroll:
        return kUnrollLines;
    case TqsCaptionGlyph::Tray:
        return kTrayLines;
    }
    return {};
}

// Fills the one-pixel outline of a rectangle.
void FrameRect(QPainter& painter, const QRect& r, const QColor& color) {
    if (r.isEmpty()) {
        return;
    }
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), color);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), color);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), color);
}

} // namespace

TqsCaptionGlyph GlyphFor(const TqsCaptionButton& button, const TqsCaptionLook& look) {
    switch (button.Command) {
    case TqsCaptionCommand::Close:
        return TqsCaptionGlyph::Close;
    case TqsCaptionCommand::Maximize:
        return look.Maximized ? TqsCaptionGlyph::Restore : TqsCaptionGlyph::Maximize;
    case TqsCaptionCommand::Minimize:
        return TqsCaptionGlyph::Minimize;
    case TqsCaptionCommand::RollUp:
        return look.RolledUp ? TqsCaptionGlyph::Unroll : TqsCaptionGlyph::RollUp;
    case TqsCaptionCommand::SystemMenu:
        return TqsCaptionGlyph::SystemMenu;
    case TqsCaptionCommand::MinimizeToTray:
        return TqsCaptionGlyph::Tray;
    }
    return TqsCaptionGlyph::Close;
}

void PaintCaptionButton(QPainter& painter, const TqsCaptionButton& button, QPoint stripOffset,
                        TqsCaptionGlyph glyph, const QPalette& palette) {
    const QRect r = button.Rect.translated(-stripOffset);
    if (button.MouseIn) {
        painter.fillRect(r, qsdraw::kFrameBlue);
        painter.fillRect(r.adjusted(1, 1, -1, -1),
                         button.Down ? qsdraw::kPressedFill : qsdraw::kHoverFill);
    } else {
        painter.fillRect(r, qsdraw::BtnFace(palette));
    }
    painter.setPen(button.Enabled ? qsdraw::BtnText(palette) : qsdraw::BtnShadow(palette));
    const QPoint origin = r.topLeft() + QPoint(r.width() / 2 - 5, r.height() / 2 - 4);
    for (const GlyphLine& line : LinesOf(glyph)) {
        qsdraw::LineTo(painter, origin + QPoint(line.x1, line.y1),
                       origin + QPoint(line.x2, line.y2));
    }
}

TqsCaptionTextPlace PlaceCaptionText(int outerWidth, const std::vector<TqsCaptionButton>& buttons,
                                     const QString& caption, const QFont& font) {
    // The reserves are what the buttons take at either end of the strip.
    const QRect strip = CaptionStripRect(outerWidth);
    const QRect area = CaptionTextArea(buttons, outerWidth);
    const int leftReserve = area.left() - kBorderWidth;
    const int rightReserve = strip.width() - (area.left() + area.width());
    const int available = strip.width() - leftReserve - rightReserve;
    const QFontMetrics metrics(font);
    TqsCaptionTextPlace place;
    place.Text = ShortenCaption(caption, metrics, available);
    const int textWidth = metrics.horizontalAdvance(place.Text);
    // The text's height is the font's cell, as for every other text of the window.
    const int textHeight = CellOf(font).Height();
    place.Extent = QRect(CaptionTextOrigin(leftReserve, available, textWidth, textHeight),
                         QSize(textWidth, textHeight));
    return place;
}

QPixmap RenderCaptionStrip(int outerWidth, const std::vector<TqsCaptionButton>& buttons,
                           const TqsCaptionLook& look, const QPalette& palette) {
    const QRect strip = CaptionStripRect(outerWidth);
    if (strip.isEmpty()) {
        return {};
    }
    QPixmap pixmap(strip.size());
    const QColor face = qsdraw::BtnFace(palette);
    pixmap.fill(face);
    QPainter painter(&pixmap);

    if (!look.Caption.isEmpty()) {
        const TqsCaptionTextPlace place =
            PlaceCaptionText(outerWidth, buttons, look.Caption, look.Font);
        painter.fillRect(place.Extent.adjusted(-2, -2, 2, 2), face);
        painter.setFont(look.Font);
        painter.setPen(look.TextColor);
        painter.setLayoutDirection(look.Direction);
        // The cell fills the extent, so the baseline lies the cell's ascent below its top.
        // Without a mnemonic flag "&" is drawn as the plain character it is.
        const QRect line = place.Extent.translated(0, CellBaselineShift(look.Font));
        painter.drawText(
            QRect(line.topLeft(), QSize(line.width(), QFontMetrics(look.Font).height())),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, place.Text);
    }

    for (const TqsCaptionButton& button : buttons) {
        if (button.Visible) {
            PaintCaptionButton(painter, button, strip.topLeft(), GlyphFor(button, look), palette);
        }
    }
    return pixmap;
}

void PaintBorder(QPainter& painter, QSize outer, const QPalette& palette) {
    const QRect r(QPoint(0, 0), outer);
    FrameRect(painter, r, qsdraw::DkShadow3D(palette));
    FrameRect(painter, r.adjusted(1, 1, -1, -1), qsdraw::BtnFace(palette));
    FrameRect(painter, r.adjusted(2, 2, -2, -2), qsdraw::BtnFace(palette));
}

} // namespace qsframe
