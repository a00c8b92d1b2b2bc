#include "ui/MenuBarStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {

constexpr int kPictureSize = 16;
constexpr int kGap = 4; // between the picture and the caption

const QStyleOptionMenuItem* withPictureAndCaption(const QStyleOption* option) {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    return item && !item->icon.isNull() && !item->text.isEmpty() ? item : nullptr;
}

} // namespace

// Based on the application's style at the time the menu bar is made.
MenuBarStyle::MenuBarStyle() : QProxyStyle(QApplication::style()->name()) {}

QSize MenuBarStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                     const QSize& size, const QWidget* widget) const {
    if (type == CT_MenuBarItem) {
        if (const QStyleOptionMenuItem* item = withPictureAndCaption(option)) {
            const QSize caption = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
            const QSize both(kPictureSize + kGap + caption.width(),
                             std::max(kPictureSize, caption.height()));
            return QProxyStyle::sizeFromContents(type, option, both, widget);
        }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void MenuBarStyle::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    // The item chosen with the keyboard (Alt, then the arrows; the bar has the focus) stands
    // on the highlight, as the item whose menu is open does, so that the user sees where
    // Enter goes.
    QStyleOptionMenuItem keyboardChoice;
    if (const auto* barItem = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        element == CE_MenuBarItem && barItem != nullptr && widget != nullptr &&
        widget->hasFocus() && (barItem->state & State_Selected)) {
        keyboardChoice = *barItem;
        keyboardChoice.state |= State_Sunken;
        option = &keyboardChoice;
    }
    const QStyleOptionMenuItem* item =
        element == CE_MenuBarItem ? withPictureAndCaption(option) : nullptr;
    if (item == nullptr) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The item's background (hover, pressed) as the style draws it, then picture and caption.
    QStyleOptionMenuItem background(*item);
    background.icon = QIcon();
    background.text.clear();
    QProxyStyle::drawControl(element, &background, painter, widget);

    const bool enabled = item->state & State_Enabled;
    const QSize caption = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
    const int width = kPictureSize + kGap + caption.width();
    QRect content(QPoint(0, 0), QSize(width, item->rect.height()));
    content.moveCenter(item->rect.center());
    const QPixmap picture =
        item->icon.pixmap(QSize(kPictureSize, kPictureSize), painter->device()->devicePixelRatioF(),
                          enabled ? QIcon::Normal : QIcon::Disabled);
    painter->drawPixmap(content.left(), content.center().y() - kPictureSize / 2 + 1, picture);
    const QRect text = content.adjusted(kPictureSize + kGap, 0, 0, 0);
    int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
    if (!proxy()->styleHint(SH_UnderlineShortcut, item, widget)) {
        flags |= Qt::TextHideMnemonic;
    }
    // The caption takes the highlighted colour exactly when the base style (Fusion) drew the
    // highlight under it: while the item is pressed or its menu is open. An item that is
    // only selected, as the one under a resting pointer is after its window opened, stands
    // on the plain bar and keeps the bar's text colour.
    const bool highlighted =
        enabled && (item->state & State_Selected) && (item->state & State_Sunken);
    proxy()->drawItemText(painter, text, flags, item->palette, enabled, item->text,
                          highlighted ? QPalette::HighlightedText : QPalette::ButtonText);
}
