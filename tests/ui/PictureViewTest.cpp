#include "ui/PictureView.h"

#include <gtest/gtest.h>

namespace {

TEST(PictureView, PlacesThePictureByItsSwitches) {
    enum Switch { Stretch = 1, Proportional = 2, Center = 4 };
    const struct {
        QSize picture;
        int switches;
        QRect expected; // in a pane of 200 x 100
    } cases[] = {
        {{50, 20}, 0, {0, 0, 50, 20}},
        {{50, 20}, Center, {75, 40, 50, 20}},
        {{50, 20}, Stretch, {0, 0, 200, 100}},
        {{50, 20}, Stretch | Center, {0, 0, 200, 100}},
        {{50, 20}, Proportional | Center, {75, 40, 50, 20}}, // small: never scaled up
        {{50, 20}, Stretch | Proportional | Center, {0, 10, 200, 80}},
        {{50, 40}, Stretch | Proportional | Center, {37, 0, 125, 100}},
        {{400, 100}, Proportional | Center, {0, 25, 200, 50}}, // larger: scaled down
        {{400, 100}, Proportional, {0, 0, 200, 50}},
        {{400, 100}, Center, {-100, 0, 400, 100}},
    };
    PictureView view;
    view.resize(200, 100);
    EXPECT_TRUE(view.pictureRect().isNull()) << "no picture, nothing drawn";
    for (const auto& c : cases) {
        QImage picture(c.picture, QImage::Format_RGB32);
        picture.fill(Qt::red);
        view.setPicture(picture);
        view.setStretch(c.switches & Stretch);
        view.setProportional(c.switches & Proportional);
        view.setCenter(c.switches & Center);
        EXPECT_EQ(view.pictureRect(), c.expected)
            << c.picture.width() << "x" << c.picture.height() << " switches " << c.switches;
    }
}

TEST(PictureView, PaintsOnlyWherePictureGoes) {
    PictureView view;
    view.resize(40, 20);
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    view.setPicture(picture);
    view.setCenter(true);
    QImage canvas(40, 20, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    view.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(canvas.pixelColor(20, 10), QColor(Qt::blue));
    EXPECT_EQ(canvas.pixelColor(2, 2).alpha(), 0) << "the background shows through";
}

TEST(PictureView, ARepaintShowsTheNewPictureAndTheNewSize) {
    PictureView view;
    view.resize(40, 20);
    view.setProportional(true);
    view.setStretch(true);
    const auto paintedCentre = [&view] {
        QImage canvas(view.size(), QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        view.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
        return canvas.pixelColor(view.width() / 2, view.height() / 2);
    };
    for (const Qt::GlobalColor colour : {Qt::blue, Qt::green}) {
        QImage picture(200, 100, QImage::Format_RGB888);
        picture.fill(colour);
        view.setPicture(picture);
        EXPECT_EQ(paintedCentre(), QColor(colour));
        EXPECT_EQ(paintedCentre(), QColor(colour)) << "painted again";
    }
    view.resize(80, 40);
    QImage canvas(80, 40, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    view.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(canvas.pixelColor(78, 38), QColor(Qt::green)) << "scaled to the new size";
}

} // namespace
