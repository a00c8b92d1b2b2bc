#include "ui/WholeAccentsDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {

QStyle* styleOf(const QStyleOptionViewItem& option) {
    return option.widget ? option.widget->style() : QApplication::style();
}

// A line break of a row's text, which the delegate's display text gives as a line separator.
qsizetype lineBreaks(const QString& text) {
    return text.count(u'\n') + text.count(QChar::LineSeparator);
}

} // namespace

FontCell WholeAccentsDelegate::cellOf(const QFont& font) const {
    if (cell_.Height() == 0 || font != cellFont_) {
        cellFont_ = font;
        cell_ = CellOf(font);
    }
    return cell_;
}

QSize WholeAccentsDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    if (item.text.isEmpty()) {
        return size;
    }
    // The style gave each line Qt's line height; each gets the cell's instead.
    const int lines = int(lineBreaks(item.text)) + 1;
    const int extra = cellOf(item.font).Height() - QFontMetrics(item.font).height();
    if (extra > 0) {
        size.rheight() += lines * extra;
    }
    return size;
}

void WholeAccentsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    QStyle* style = styleOf(item);
    const QString text = item.text;
    // Without an icon or a check box the text has the whole row; asking the style would lay
    // the text out once more only to say so.
    const bool textAlone = !(item.features & (QStyleOptionViewItem::HasDecoration |
                                              QStyleOptionViewItem::HasCheckIndicator));
    const QRect textRect =
        textAlone ? item.rect
                  : style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    if (text.isEmpty()) {
        return;
    }

    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &item, item.widget) + 1;
    const QRect room = textRect.adjusted(margin, 0, -margin, 0);
    const FontCell cell = cellOf(item.font);
    const QFontMetrics metrics(item.font);
    const QStringList lines = QString(text).replace(QChar::LineSeparator, u'\n').split(u'\n');
    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (item.state & QStyle::State_Active) ? QPalette::Normal
                                                                             : QPalette::Inactive;
    const QPalette::ColorRole role =
        item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;

    painter->save();
    painter->setClipRect(item.rect);
    painter->setFont(item.font);
    painter->setPen(item.palette.color(group, role));
    // The lines stand in the middle of the row, one cell high each.
    int top = room.top() + (room.height() - int(lines.size()) * cell.Height()) / 2;
    for (const QString& line : lines) {
        const QString shown = metrics.elidedText(line, item.textElideMode, room.width());
        const int width = metrics.horizontalAdvance(shown);
        const int left = item.displayAlignment & Qt::AlignRight ? room.right() + 1 - width
                         : item.displayAlignment & Qt::AlignHCenter
                             ? room.left() + (room.width() - width) / 2
                             : room.left();
        painter->drawText(QPoint(left, top + cell.Ascent), shown);
        top += cell.Height();
    }
    painter->restore();
}
