#pragma once

#include <QProxyStyle>

// The look of a menu whose dividers are separators with a caption (a line of underscores):
// each is drawn and sized as an item with that caption would be, so that the menu looks as
// one with divider items, while the keyboard steps over it and a screen reader hears a
// separator. Everything else is left to the application's style.
class DividerMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    DividerMenuStyle();

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};
