#include "skin/qsSkinStdLabel.h"

#include "skin/qsAccessibility.h"
#include "skin/qsDrawing.h"
#include "skin/qsFontCellHeight.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

namespace {

// The caption's lines: only explicit line breaks start a new line.
QStringList splitLines(const QString& text) {
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');
    return normalized.split(u'\n');
}

Qt::TextElideMode elideModeOf(TqsEllipsType type) {
    switch (type) {
    case TqsEllipsType::PathEllipsis:
        return Qt::ElideMiddle;
    case TqsEllipsType::EndEllipsis:
    case TqsEllipsType::WordEllipsis:
        return Qt::ElideRight;
    case TqsEllipsType::None:
        break;
    }
    return Qt::ElideNone;
}

// Tab stops of window text: every 8 average character widths of the font.
int tabStopWidth(const QFont& font) {
    return 8 * AverageCharWidth(font);
}

// Draws one line from the top left of `box` (aligned within its width) with the label's tab
// stops; with access characters shown, a single "&" underlines the next character.
void drawLine(QPainter& painter, const QRect& box, const QString& line, bool showAccelChar,
              Qt::Alignment alignment) {
    const qsdraw::ShownCaption shown =
        showAccelChar ? qsdraw::ShowCaption(line) : qsdraw::ShownCaption{line, -1};
    QTextLayout layout(shown.Text, painter.font(), painter.device());
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStopWidth(painter.font()));
    option.setTextDirection(painter.layoutDirection());
    layout.setTextOption(option);
    if (shown.AccessIndex >= 0) {
        QTextCharFormat underlined;
        underlined.setFontUnderline(true);
        layout.setFormats({{shown.AccessIndex, 1, underlined}});
    }
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    if (textLine.isValid()) {
        textLine.setLineWidth(box.width());
        textLine.setPosition({0, 0});
    }
    layout.endLayout();
    layout.draw(&painter, box.topLeft());
}

} // namespace

TqsSkinStdLabel::TqsSkinStdLabel(QWidget* parent)
    : QWidget(parent), FDefaultFont(FontDescription::fromQFont(QApplication::font())),
      FFont(FDefaultFont) {
    InstallSkinAccessibility();
}

void TqsSkinStdLabel::SetDefaultFont(const FontDescription& value) {
    FDefaultFont = value;
    captionChanged();
}

void TqsSkinStdLabel::SetFont(const FontDescription& value) {
    FFont = value;
    captionChanged();
}

void TqsSkinStdLabel::SetUseSkinFont(bool value) {
    FUseSkinFont = value;
    captionChanged();
}

void TqsSkinStdLabel::SetEllipsType(TqsEllipsType value) {
    FEllipsType = value;
    update();
}

void TqsSkinStdLabel::SetTransparent(bool value) {
    FTransparent = value;
    update();
}

void TqsSkinStdLabel::SetAutoSize(bool value) {
    FAutoSize = value;
    captionChanged();
}

void TqsSkinStdLabel::SetWordWrap(bool value) {
    FWordWrap = value;
    captionChanged();
}

void TqsSkinStdLabel::SetAlignment(Qt::Alignment value) {
    FAlignment = value & Qt::AlignHorizontal_Mask;
    update();
}

void TqsSkinStdLabel::SetShowAccelChar(bool value) {
    FShowAccelChar = value;
    captionChanged();
}

void TqsSkinStdLabel::SetCaption(const QString& value) {
    FCaption = value;
    captionChanged();
    AnnounceNameChange(this);
}

int TqsSkinStdLabel::formatFlags() const {
    int flags = Qt::TextExpandTabs | Qt::AlignTop | static_cast<int>(FAlignment);
    if (FShowAccelChar) {
        flags |= Qt::TextShowMnemonic;
    }
    if (FWordWrap) {
        flags |= Qt::TextWordWrap;
    }
    return flags;
}

QSize TqsSkinStdLabel::TextExtent() const {
    QString text = FCaption;
    if (text.isEmpty() || (FShowAccelChar && text == QStringLiteral("&"))) {
        text += u' ';
    }
    const QFont font = drawingFont().toQFont();
    const QFontMetrics metrics(font);
    if (FWordWrap) {
        return metrics.boundingRect(QRect(0, 0, std::max(1, width()), 0), formatFlags(), text)
            .size();
    }
    const QStringList lines = splitLines(text);
    int widest = 0;
    for (const QString& line : lines) {
        widest = std::max(widest, metrics.size(formatFlags(), line, tabStopWidth(font)).width());
    }
    return {widest, static_cast<int>(lines.size()) * CellOf(font).Height()};
}

void TqsSkinStdLabel::captionChanged() {
    if (FAutoSize) {
        resize(TextExtent());
    }
    update();
}

void TqsSkinStdLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
    QWidget::changeEvent(event);
}

void TqsSkinStdLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!FTransparent) {
        painter.fillRect(rect(), qsdraw::BtnFace(palette()));
    }
    const QFont font = drawingFont().toQFont();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int flags = formatFlags();

    const auto drawText = [&](QPoint offset) {
        if (FWordWrap) {
            painter.drawText(rect().translated(offset), flags, FCaption);
            return;
        }
        // Lines are a cell apart; each is drawn with its baseline on the cell's baseline and
        // may reach above Qt's own ascent (accents over capitals).
        const int lineHeight = CellOf(font).Height();
        const int shift = CellBaselineShift(font);
        int top = 0;
        for (const QString& line : splitLines(FCaption)) {
            QString shown = line;
            if (FEllipsType != TqsEllipsType::None &&
                metrics.size(flags, line, tabStopWidth(font)).width() > width()) {
                shown = metrics.elidedText(line, elideModeOf(FEllipsType), width(),
                                           FShowAccelChar ? Qt::TextShowMnemonic : 0);
            }
            drawLine(painter, QRect(0, top + shift, width(), metrics.height()).translated(offset),
                     shown, FShowAccelChar, FAlignment);
            top += lineHeight;
        }
    };

    if (isEnabled()) {
        painter.setPen(drawingFont().textColor(palette()));
        drawText({0, 0});
    } else {
        painter.setPen(qsdraw::BtnHighlight(palette()));
        drawText({1, 1});
        painter.setPen(qsdraw::BtnShadow(palette()));
        drawText({0, 0});
    }
}
