// The main menu bar's items with a picture: the caption is drawn in a colour that stands
// out from what the base style drew under it.
#include "ui/MenuBarStyle.h"

#include "ui/ImageList.h"
#include "ui/VisualStyle.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QTest>
#include <gtest/gtest.h>

namespace {

int pixelsOf(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

TEST(MenuBarStyle, TheCaptionIsWhiteOnlyOnTheHighlight) {
    ASSERT_TRUE(ui::applyVisualStyle(QStringLiteral("Amethyst Kamri")));
    QMenuBar bar;
    auto* style = new MenuBarStyle;
    style->setParent(&bar);
    bar.setStyle(style);
    ImageList pictures;
    QAction* about =
        bar.addAction(pictures.icon(ImageList::QuestionMark), QStringLiteral("О приложении"));
    bar.adjustSize();

    const QPalette palette = QApplication::palette();
    const QRgb highlight = palette.color(QPalette::Highlight).rgb();
    const QRgb white = palette.color(QPalette::HighlightedText).rgb();
    const struct {
        const char* situation;
        QStyle::State state;
        bool onHighlight;
        bool keyboard;
    } cases[] = {
        {"at rest", QStyle::State_None, false, false},
        {"under the pointer, or after its window opened", QStyle::State_Selected, false, false},
        {"pressed", QStyle::State_Selected | QStyle::State_Sunken, true, false},
        {"chosen with the keyboard", QStyle::State_Selected, true, true},
        {"not chosen, the bar in keyboard use", QStyle::State_None, false, true},
    };
    bar.show();
    bar.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&bar));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        if (c.keyboard) {
            bar.setFocus();
        } else {
            bar.clearFocus();
        }
        ASSERT_EQ(bar.hasFocus(), c.keyboard);
        QStyleOptionMenuItem option;
        option.initFrom(&bar);
        option.menuItemType = QStyleOptionMenuItem::Normal;
        option.icon = about->icon();
        option.text = about->text();
        option.rect = bar.actionGeometry(about);
        option.state = QStyle::State_Enabled | c.state;
        // The inactive colours: the about window is the active one.
        option.palette.setCurrentColorGroup(QPalette::Inactive);

        QImage image(option.rect.size(), QImage::Format_RGB32);
        image.fill(palette.color(QPalette::Window));
        option.rect.moveTopLeft({0, 0});
        QPainter painter(&image);
        style->drawControl(QStyle::CE_MenuBarItem, &option, &painter, &bar);
        painter.end();
        EXPECT_EQ(pixelsOf(image, highlight) > 0, c.onHighlight);
        EXPECT_EQ(pixelsOf(image, white) > 0, c.onHighlight);
    }
}

} // namespace
