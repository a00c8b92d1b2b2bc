#pragma once

#include "skin/qsFontCellHeight.h"

#include <QStyledItemDelegate>

// Draws the rows of a tree or a list so that the accents above capitals (the dots of "Ё",
// the breve of "Й") show whole. Qt lays a line out by the face's typographic ascent, which for
// some faces the program uses (Wine's Tahoma among them) ends below those accents, and an item
// view clips each row to its rectangle: the accents were cut off. Here each line of a row's
// text is as high as the face's window cell (skin/qsFontCellHeight.h), which holds them, and
// the text is drawn on that cell's baseline; background, selection, focus and icon are the
// style's own.
class WholeAccentsDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    // The font's cell; the rows of a view share a font, whose cell is kept at hand.
    FontCell cellOf(const QFont& font) const;

    mutable QFont cellFont_;
    mutable FontCell cell_;
};
