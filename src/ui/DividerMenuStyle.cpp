#include "ui/DividerMenuStyle.h"

#include <QApplication>
#include <QStyleOptionMenuItem>
#include <optional>

namespace {

// A divider with a caption, as an item that is neither selected nor pressed.
std::optional<QStyleOptionMenuItem> asItem(const QStyleOption* option) {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (item == nullptr || item->menuItemType != QStyleOptionMenuItem::Separator ||
        item->text.isEmpty()) {
        return std::nullopt;
    }
    QStyleOptionMenuItem shown(*item);
    shown.menuItemType = QStyleOptionMenuItem::Normal;
    shown.state &= ~(QStyle::State_Selected | QStyle::State_Sunken);
    return shown;
}

} // namespace

// Based on the application's style at the time the menu is made.
DividerMenuStyle::DividerMenuStyle() : QProxyStyle(QApplication::style()->name()) {}

int DividerMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                QStyleHintReturn* returnData) const {
    // The menu keeps a separator's caption only where the style draws captioned separators.
    if (hint == SH_Menu_SupportsSections) {
        return 1;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QSize DividerMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                         const QSize& size, const QWidget* widget) const {
    if (type == CT_MenuItem) {
        if (const auto item = asItem(option)) {
            const QSize text = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
            return QProxyStyle::sizeFromContents(type, &*item, text, widget);
        }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void DividerMenuStyle::drawControl(ControlElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
    if (element == CE_MenuItem) {
        if (const auto item = asItem(option)) {
            QProxyStyle::drawControl(element, &*item, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
