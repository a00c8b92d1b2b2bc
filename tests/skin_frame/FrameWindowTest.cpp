// The frame on a live dialog: its outer size, the close box and its looks, the closing paths
// and their results, moving by the caption, activation and the size limits.
#include "FramedDialog.h"
#include "skin/qsDrawing.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Colours are compared as the 8-bit values a screen shows.
QRgb PixelAt(QWidget& widget, QPoint pos) {
    return widget.grab().toImage().pixel(pos);
}
QRgb Rgb(const QColor& color) {
    return color.rgb();
}

// The darkest pixel of a rectangle of the window, by lightness.
QRgb DarkestPixel(QWidget& widget, const QRect& area) {
    const QImage image = widget.grab().toImage();
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < qGray(darkest)) {
                darkest = image.pixel(x, y);
            }
        }
    }
    return darkest;
}

} // namespace

TEST(FrameWindow, OuterSizeIsClientPlusBorderAndCaption) {
    FramedDialog w(QSize(200, 100));
    EXPECT_EQ(w.dialog.size(), QSize(206, 125));
    EXPECT_EQ(w.QSF->ClientArea()->geometry(), QRect(3, 22, 200, 100));
    EXPECT_EQ(w.dialog.mask(), QRegion(0, 0, 206, 125));
    EXPECT_TRUE(w.dialog.windowFlags().testFlag(Qt::FramelessWindowHint));

    w.QSF->SetClientSize(114, 40);
    EXPECT_EQ(w.dialog.size(), QSize(120, 65));
    EXPECT_EQ(w.QSF->ClientArea()->geometry(), QRect(3, 22, 114, 40));
    EXPECT_EQ(w.dialog.mask(), QRegion(0, 0, 120, 65));
}

TEST(FrameWindow, CaptionButtonsAppearOnFirstPaintWithOnlyTheCloseBox) {
    FramedDialog w(QSize(114, 60));
    EXPECT_TRUE(w.QSF->ObjectList().empty());
    ASSERT_TRUE(w.Open());
    const auto& buttons = w.QSF->ObjectList();
    ASSERT_EQ(buttons.size(), 6u);
    EXPECT_EQ(buttons[0].Rect, QRect(100, 4, 17, 17));
    for (size_t i = 1; i < buttons.size(); ++i) {
        EXPECT_FALSE(buttons[i].Visible);
    }
}

TEST(FrameWindow, DefaultLookOfBorderCloseBoxAndCaption) {
    FramedDialog w(QSize(200, 60));
    ASSERT_TRUE(w.Open());
    const QPalette palette = w.dialog.palette();
    const QRgb face = Rgb(qsdraw::BtnFace(palette));
    const int W = w.Width();
    const int H = w.dialog.height();

    // Three one-pixel rectangles: 3D dark shadow outside, then button face twice.
    EXPECT_EQ(PixelAt(w.dialog, {0, 0}), Rgb(qsdraw::DkShadow3D(palette)));
    EXPECT_EQ(PixelAt(w.dialog, {W - 1, H / 2}), Rgb(qsdraw::DkShadow3D(palette)));
    EXPECT_EQ(PixelAt(w.dialog, {1, H - 2}), face);
    EXPECT_EQ(PixelAt(w.dialog, {2, 30}), face);

    // The close cross, two pixels thick, with its origin 3 right of and 4 below the box's
    // corner; rows 0 and 9 of the glyph stay empty.
    const QPoint origin(W - 20 + 3, 4 + 4);
    const QImage image = w.dialog.grab().toImage();
    const QRgb ink = Rgb(qsdraw::BtnText(palette));
    for (QPoint p : {QPoint(1, 1), QPoint(2, 1), QPoint(8, 1), QPoint(9, 1), QPoint(1, 8),
                     QPoint(2, 8), QPoint(8, 8), QPoint(9, 8), QPoint(4, 4), QPoint(5, 4)}) {
        EXPECT_EQ(image.pixel(origin + p), ink) << p.x() << "," << p.y();
    }
    for (QPoint p : {QPoint(0, 1), QPoint(3, 1), QPoint(10, 1), QPoint(1, 0), QPoint(1, 9),
                     QPoint(0, 8), QPoint(5, 1)}) {
        EXPECT_EQ(image.pixel(origin + p), face) << p.x() << "," << p.y();
    }

    // The caption is written in the active caption colour.
    EXPECT_EQ(DarkestPixel(w.dialog, QRect(3, 3, W - 23, 19)), Rgb(w.QSF->DefCaptionFontColor));
}

TEST(FrameWindow, CloseBoxShowsHoverAndPressedLooks) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    const int W = w.Width();
    const QPoint corner(W - 20, 4);
    const QPoint inside(W - 19, 5);

    w.MoveTo(w.CloseBoxCentre());
    EXPECT_EQ(w.QSF->ActiveObject(), 0);
    EXPECT_EQ(PixelAt(w.dialog, corner), Rgb(qsdraw::kFrameBlue));
    EXPECT_EQ(PixelAt(w.dialog, inside), Rgb(qsdraw::kHoverFill));

    w.Press(w.CloseBoxCentre());
    EXPECT_EQ(w.QSF->MouseCaptureObject(), 0);
    EXPECT_EQ(PixelAt(w.dialog, corner), Rgb(qsdraw::kFrameBlue));
    EXPECT_EQ(PixelAt(w.dialog, inside), Rgb(qsdraw::kPressedFill));

    // Leaving the box while holding the button takes the highlight away.
    w.MoveTo(QPoint(40, 60));
    EXPECT_EQ(w.QSF->ActiveObject(), -1);
    EXPECT_EQ(PixelAt(w.dialog, corner), Rgb(qsdraw::BtnFace(w.dialog.palette())));
    w.Release(QPoint(40, 60));
    EXPECT_TRUE(w.dialog.isVisible());
}

TEST(FrameWindow, ClickOnTheCloseBoxClosesWithCancel) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    w.Click(w.CloseBoxCentre());
    EXPECT_FALSE(w.dialog.isVisible());
    EXPECT_EQ(w.dialog.result(), 2);
}

TEST(FrameWindow, ReleaseOutsideTheCloseBoxDoesNotClose) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    for (QPoint outside : {QPoint(40, 60), w.CaptionPoint(), QPoint(w.Width() - 1, 12)}) {
        w.Press(w.CloseBoxCentre());
        w.Release(outside);
        EXPECT_TRUE(w.dialog.isVisible()) << outside.x() << "," << outside.y();
        EXPECT_EQ(w.QSF->MouseCaptureObject(), -1);
        EXPECT_FALSE(w.QSF->ObjectList()[0].Down);
    }
    // Wandering out and back before letting go still closes.
    w.Press(w.CloseBoxCentre());
    w.MoveTo(QPoint(40, 60));
    w.Release(w.CloseBoxCentre());
    EXPECT_FALSE(w.dialog.isVisible());
    EXPECT_EQ(w.dialog.result(), 2);
}

TEST(FrameWindow, RightClickOnTheCaptionOffersOnlyClose) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    QStringList items;
    QString shortcut;
    const MenuWatch watch([&](QMenu* menu) {
        for (QAction* action : menu->actions()) {
            items << action->text();
            shortcut = action->shortcut().toString();
        }
        ChooseLastItem(menu);
    });
    w.Press(w.CaptionPoint(), Qt::RightButton);
    EXPECT_EQ(items, QStringList{QStringLiteral("&Close")});
    EXPECT_EQ(shortcut, QStringLiteral("Alt+F4"));
    EXPECT_FALSE(w.dialog.isVisible());
    EXPECT_EQ(w.dialog.result(), 2);
}

TEST(FrameWindow, RightClickOutsideTheCaptionShowsNoMenu) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    bool popped = false;
    const MenuWatch watch([&](QMenu* menu) {
        popped = true;
        menu->close();
    });
    w.Press(w.CloseBoxCentre(), Qt::RightButton);
    w.Release(w.CloseBoxCentre(), Qt::RightButton);
    w.Press(QPoint(1, 60), Qt::RightButton);
    w.Release(QPoint(1, 60), Qt::RightButton);
    QTest::qWait(30);
    EXPECT_FALSE(popped);
    EXPECT_TRUE(w.dialog.isVisible());
}

TEST(FrameWindow, AltF4ClosesWithCancel) {
    // Whether the window itself or one of its controls has the keyboard.
    for (bool toControl : {false, true}) {
        FramedDialog w;
        auto* control = new QPushButton(QStringLiteral("OK"), w.QSF->ClientArea());
        ASSERT_TRUE(w.Open());
        QWidget* target = toControl ? static_cast<QWidget*>(control) : &w.dialog;
        QTest::keyClick(target, Qt::Key_F4, Qt::AltModifier);
        EXPECT_FALSE(w.dialog.isVisible()) << toControl;
        EXPECT_EQ(w.dialog.result(), 2) << toControl;
    }
}

TEST(FrameWindow, ClosingByTheProgramKeepsItsResult) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    w.dialog.done(6);
    EXPECT_FALSE(w.dialog.isVisible());
    EXPECT_EQ(w.dialog.result(), 6);
}

TEST(FrameWindow, DoubleClickOnTheCaptionAndAltSpaceDoNothing) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    const QRect before = w.dialog.geometry();
    QTest::mouseDClick(&w.dialog, Qt::LeftButton, {}, w.CaptionPoint());
    QTest::keyClick(&w.dialog, Qt::Key_Space, Qt::AltModifier);
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(w.dialog.isVisible());
    EXPECT_EQ(w.dialog.geometry(), before);
    EXPECT_FALSE(w.QSF->IsRolledUp());
}

TEST(FrameWindow, CaptionMovesTheWindowAndTheBorderDoesNotResizeIt) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    const QRect before = w.dialog.geometry();

    // The window follows the pointer, so the pointer is let go where it took hold of the
    // caption, in window coordinates.
    const QPoint grip = w.CaptionPoint();
    w.Press(grip);
    w.MoveTo(grip + QPoint(30, 20));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return w.dialog.pos() == before.topLeft() + QPoint(30, 20);
    })) << w.dialog.pos().x()
        << "," << w.dialog.pos().y();
    w.Release(grip);
    QTest::qWait(20);
    EXPECT_EQ(w.dialog.pos(), before.topLeft() + QPoint(30, 20));
    EXPECT_EQ(w.dialog.size(), before.size());

    const QPoint moved = w.dialog.pos();
    const QPoint border(w.Width() - 1, 60);
    w.Press(border);
    w.MoveTo(border + QPoint(40, 0));
    w.Release(border + QPoint(40, 0));
    QTest::qWait(20);
    EXPECT_EQ(w.dialog.pos(), moved);
    EXPECT_EQ(w.dialog.size(), before.size());
}

TEST(FrameWindow, MagneticWindowSnapsToTheWorkAreaWhileDragged) {
    FramedDialog w;
    w.QSF->Magnetic = true;
    ASSERT_TRUE(w.Open());
    const QRect work = w.QSF->WorkArea();
    const QPoint grip = w.CaptionPoint();
    // Drag until the left edge is 4 pixels inside the work area, then 7.
    w.Press(grip);
    w.MoveTo(grip + QPoint(work.left() + 4 - w.dialog.x(), 0));
    EXPECT_EQ(w.dialog.x(), work.left());
    w.MoveTo(grip + QPoint(work.left() + 7 - w.dialog.x(), 0));
    EXPECT_EQ(w.dialog.x(), work.left() + 7);
    w.Release(grip);
}

TEST(FrameWindow, DeactivationDimsTheCaptionAndClearsTheHover) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    w.MoveTo(w.CloseBoxCentre());
    ASSERT_EQ(w.QSF->ActiveObject(), 0);

    QWidget other;
    other.setGeometry(500, 500, 100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.QSF->IsActive(); }));
    EXPECT_EQ(w.QSF->ActiveObject(), -1);
    EXPECT_FALSE(w.QSF->ObjectList()[0].MouseIn);
    EXPECT_EQ(DarkestPixel(w.dialog, QRect(3, 3, w.Width() - 23, 19)),
              Rgb(w.QSF->DefInActiveCaptionFontColor));
}

TEST(FrameWindow, PointerTimerClearsTheHoverWhenThePointerLeavesTheWindow) {
    FramedDialog w;
    ASSERT_TRUE(w.Open());
    w.MoveTo(w.CloseBoxCentre());
    ASSERT_EQ(w.QSF->ActiveObject(), 0);
    QCursor::setPos(w.dialog.mapToGlobal(QPoint(-50, -50)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.QSF->ActiveObject() == -1; }));
    EXPECT_FALSE(w.QSF->MouseTimer().isActive());
}

TEST(FrameWindow, SizeLimits) {
    FramedDialog w;
    const QRect workArea = w.dialog.screen()->availableGeometry();
    EXPECT_EQ(w.QSF->GetMinWidth(), 120);
    EXPECT_EQ(w.QSF->GetMinHeight(), 25);
    EXPECT_EQ(w.QSF->GetMaxWidth(), workArea.width());
    EXPECT_EQ(w.QSF->GetMaxHeight(), workArea.height());

    w.QSF->MinWidth = 90;
    w.QSF->MinHeight = 10;
    w.QSF->MaxWidth = 500;
    w.QSF->MaxHeight = 400;
    EXPECT_EQ(w.QSF->GetMinWidth(), 90);
    EXPECT_EQ(w.QSF->GetMinHeight(), 25);
    EXPECT_EQ(w.QSF->GetMaxWidth(), 500);
    EXPECT_EQ(w.QSF->GetMaxHeight(), 400);

    // Client limits win over window limits.
    w.QSF->MinClientWidth = 200;
    w.QSF->MinClientHeight = 50;
    w.QSF->MaxClientWidth = 300;
    w.QSF->MaxClientHeight = 250;
    EXPECT_EQ(w.QSF->GetMinWidth(), 206);
    EXPECT_EQ(w.QSF->GetMinHeight(), 75);
    EXPECT_EQ(w.QSF->GetMaxWidth(), 306);
    EXPECT_EQ(w.QSF->GetMaxHeight(), 275);
}
