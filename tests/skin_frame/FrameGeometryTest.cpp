// The default frame's geometry: client area, caption buttons, hit-testing, the shortened
// caption and its place, and the fade-in's opacity steps.
#include "skin/qsFontCellHeight.h"
#include "skin/qsSkinFormGeometry.h"
#include "skin/qsSkinFormPaint.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <QStringList>
#include <gtest/gtest.h>

using namespace qsframe;

TEST(FrameGeometry, ClientAreaIsInsetByTheBorderAndCaption) {
    EXPECT_EQ(ClientRectFor(QSize(120, 100)), QRect(3, 22, 114, 75));
    EXPECT_EQ(OuterSizeForClient(QSize(114, 75)), QSize(120, 100));
    EXPECT_EQ(OuterSizeForClient(QSize(0, 0)), QSize(6, 25));
    // Too small for its own frame: the client area collapses instead of turning negative.
    EXPECT_EQ(ClientRectFor(QSize(4, 10)), QRect(3, 22, 0, 0));
}

TEST(FrameGeometry, MessageWindowShowsOnlyTheCloseBox) {
    std::vector<TqsCaptionButton> buttons = DefaultCaptionButtons({});
    PlaceCaptionButtons(buttons, 120);
    ASSERT_EQ(buttons.size(), 6u);
    const QStringList names{"closebutton",  "maxbutton",     "minbutton",
                            "rollupbutton", "sysmenubutton", "traybutton"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(buttons[i].Name, names[i]);
        EXPECT_EQ(buttons[i].Visible, i == 0) << names[i].toStdString();
        EXPECT_EQ(buttons[i].Enabled, i == 0) << names[i].toStdString();
    }
    EXPECT_EQ(buttons[0].Rect, QRect(100, 4, 17, 17));
    EXPECT_EQ(CaptionTextArea(buttons, 120), QRect(3, 3, 97, 19));
}

TEST(FrameGeometry, ButtonsTakePlacesFromTheRightInTheirOrder) {
    std::vector<TqsCaptionButton> buttons =
        DefaultCaptionButtons(biSystemMenu | biMinimize | biMaximize | biRollUp | biMinimizeToTray);
    PlaceCaptionButtons(buttons, 300);
    EXPECT_EQ(buttons[0].Rect, QRect(280, 4, 17, 17)); // close
    EXPECT_EQ(buttons[1].Rect, QRect(263, 4, 17, 17)); // maximize
    EXPECT_EQ(buttons[2].Rect, QRect(246, 4, 17, 17)); // minimize
    EXPECT_EQ(buttons[3].Rect, QRect(229, 4, 17, 17)); // roll up
    EXPECT_EQ(buttons[5].Rect, QRect(212, 4, 17, 17)); // tray
    EXPECT_EQ(buttons[4].Rect, QRect(3, 4, 17, 17));   // system menu, at the left end
    EXPECT_EQ(CaptionTextArea(buttons, 300), QRect(20, 3, 192, 19));

    // Hidden buttons leave no gap.
    buttons = DefaultCaptionButtons(biMinimize);
    PlaceCaptionButtons(buttons, 300);
    EXPECT_EQ(buttons[2].Rect, QRect(263, 4, 17, 17));
}

TEST(FrameGeometry, HitTestOfTheMessageWindow) {
    std::vector<TqsCaptionButton> buttons = DefaultCaptionButtons({});
    PlaceCaptionButtons(buttons, 200);
    const QSize outer(200, 100);
    struct Case {
        QPoint pos;
        TqsHitArea area;
    };
    const Case cases[] = {
        {{3, 3}, TqsHitArea::Caption},        {{179, 21}, TqsHitArea::Caption},
        {{180, 10}, TqsHitArea::FrameObject}, {{196, 20}, TqsHitArea::FrameObject},
        {{197, 10}, TqsHitArea::FrameObject}, {{3, 22}, TqsHitArea::Client},
        {{196, 96}, TqsHitArea::Client},      {{2, 50}, TqsHitArea::FrameObject},
        {{100, 97}, TqsHitArea::FrameObject}, {{0, 0}, TqsHitArea::FrameObject},
        {{100, 2}, TqsHitArea::FrameObject},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitTest(c.pos, buttons, outer), c.area) << c.pos.x() << "," << c.pos.y();
    }
}

TEST(FrameGeometry, CaptionIsShortenedWithAnEllipsis) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    const QFontMetrics metrics(font);
    const QString caption = QStringLiteral("Information about the branch");
    const int full = metrics.horizontalAdvance(caption);

    EXPECT_EQ(ShortenCaption(caption, metrics, full), caption);
    EXPECT_EQ(ShortenCaption(QString(), metrics, 0), QString());

    const QString cut = ShortenCaption(caption, metrics, full - 1);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("...")));
    EXPECT_LE(metrics.horizontalAdvance(cut), full - 1);
    // The longest start of the caption that fits together with the ellipsis.
    const QString kept = cut.chopped(3);
    EXPECT_TRUE(caption.startsWith(kept));
    EXPECT_GT(metrics.horizontalAdvance(caption.left(kept.size() + 1) + "..."), full - 1);

    // Nothing fits: only the ellipsis is left.
    EXPECT_EQ(ShortenCaption(caption, metrics, 2), QStringLiteral("..."));
}

TEST(FrameGeometry, CaptionTextIsCentredInTheSpaceLeftByTheButtons) {
    // The message window of width 200: no left reserve, 180 available.
    EXPECT_EQ(CaptionTextOrigin(0, 180, 60, 13), QPoint(58, 3));
    // A text wider than half the space starts left of the centre by half its width plus 2.
    EXPECT_EQ(CaptionTextOrigin(17, 100, 101, 12), QPoint(14, 3));
}

TEST(FrameGeometry, CaptionTextTakesTheSpaceTheButtonsLeave) {
    const QFont font = FontOfCellHeight(QStringLiteral("Tahoma"), 13, true);
    const QFontMetrics metrics(font);
    const QString longCaption = QStringLiteral("Information about the connected base");
    struct Case {
        TqsBorderIcons icons;
        int outerWidth;
        QString caption;
        int leftReserve;
        int available;
        bool shortened;
    };
    const Case cases[] = {
        // The message window: only the close box, A = W - 20.
        {{}, 120, longCaption, 0, 100, true},
        {{}, 300, QStringLiteral("Information"), 0, 280, false},
        // System menu on the left, four buttons besides the close box on the right.
        {biSystemMenu | biMinimize | biMaximize | biRollUp | biMinimizeToTray, 300, longCaption, 17,
         294 - 17 - 14 - 4 * 17, true},
    };
    for (const Case& c : cases) {
        std::vector<TqsCaptionButton> buttons = DefaultCaptionButtons(c.icons);
        PlaceCaptionButtons(buttons, c.outerWidth);
        const TqsCaptionTextPlace place = PlaceCaptionText(c.outerWidth, buttons, c.caption, font);
        EXPECT_EQ(place.Text, ShortenCaption(c.caption, metrics, c.available)) << c.outerWidth;
        EXPECT_EQ(place.Text.endsWith(QStringLiteral("...")), c.shortened) << c.outerWidth;
        const int t = metrics.horizontalAdvance(place.Text);
        // The height is the 13-pixel cell: the text starts at 19 div 2 - 13 div 2 = 3.
        EXPECT_EQ(place.Extent, QRect(c.leftReserve + c.available / 2 - (t + 5) / 2, 3, t, 13))
            << c.outerWidth;
    }
}

TEST(FrameGeometry, CaptionBaselineLiesTheCellAscentBelowTheTextTop) {
    // Tahoma bold of a 13-pixel cell has an 11-pixel ascent: the text top is at 3 in the
    // strip, so capitals stand on row 14 and their lowest pixels are on row 13.
    const QFont font = FontOfCellHeight(QStringLiteral("Tahoma"), 13, true);
    ASSERT_EQ(CellOf(font).Ascent, 11);
    std::vector<TqsCaptionButton> buttons = DefaultCaptionButtons({});
    PlaceCaptionButtons(buttons, 200);
    TqsCaptionLook look;
    look.Caption = QStringLiteral("HEH");
    look.Font = font;
    look.TextColor = Qt::black;
    QPalette palette;
    palette.setColor(QPalette::Button, Qt::white);
    const QImage strip = RenderCaptionStrip(200, buttons, look, palette).toImage();

    int lowestInk = -1;
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < 150; ++x) { // left of the close box
            if (qGray(strip.pixel(x, y)) < 128) {
                lowestInk = y;
            }
        }
    }
    EXPECT_EQ(lowestInk, 13);
}

TEST(FrameGeometry, SnapToTheWorkAreasEdges) {
    const QRect work(0, 30, 800, 570); // a panel takes the top 30 pixels
    const QSize window(200, 100);
    struct Case {
        QPoint movedTo;
        QPoint landed;
    };
    const Case cases[] = {
        {{5, 200}, {0, 200}},     // left edge 5 inside
        {{6, 200}, {6, 200}},     // one pixel too far
        {{-5, 35}, {0, 30}},      // past the left edge and near the top: both snap
        {{595, 200}, {600, 200}}, // right edge 795, 5 short of 800
        {{300, 505}, {300, 500}}, // bottom edge 605, 5 past 600
        {{300, 24}, {300, 24}},   // 6 above the work area's top
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SnapToEdges(QRect(c.movedTo, window), work, 5), c.landed)
            << c.movedTo.x() << "," << c.movedTo.y();
    }
}

TEST(FrameGeometry, FadeInSteps) {
    // Translucent at 200: steps of 13, the sixteenth clipped to 200.
    std::vector<int> steps = FadeInOpacities(200);
    ASSERT_EQ(steps.size(), 16u);
    EXPECT_EQ(steps.front(), 13);
    EXPECT_EQ(steps[14], 195);
    EXPECT_EQ(steps.back(), 200);
    // Opaque in the end: fifteen steps of 17.
    steps = FadeInOpacities(255);
    ASSERT_EQ(steps.size(), 15u);
    EXPECT_EQ(steps.front(), 17);
    EXPECT_EQ(steps.back(), 255);
    // Small targets still rise by at least 1; a target of 0 needs no step.
    EXPECT_EQ(FadeInOpacities(3), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(FadeInOpacities(0).empty());
}
