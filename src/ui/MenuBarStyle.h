#pragma once

#include <QProxyStyle>

// The look of the main menu bar: an item with a picture shows the picture and then its
// caption, as menu bars of this program always have (the toolkit would show the picture
// alone); the item chosen with the keyboard is highlighted. Everything else is left to the
// application's style.
class MenuBarStyle : public QProxyStyle {
    Q_OBJECT
public:
    MenuBarStyle();

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};
