#include "platform/JpegDecoder.h"

#include "common/Failure.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray fixture(const char* name) {
    QFile file(QStringLiteral(PLATFORM_TEST_DATA "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// JPEG is lossy: a colour matches when every channel is within a small distance.
void expectColor(const QImage& picture, QPoint at, QColor expected) {
    const QColor actual = picture.pixelColor(at);
    EXPECT_NEAR(actual.red(), expected.red(), 12) << at.x() << "," << at.y();
    EXPECT_NEAR(actual.green(), expected.green(), 12) << at.x() << "," << at.y();
    EXPECT_NEAR(actual.blue(), expected.blue(), 12) << at.x() << "," << at.y();
}

TEST(JpegDecoder, DecodesColoursInPlaceAtFullAndReducedScale) {
    const QByteArray bytes = fixture("quadrants.jpg"); // red | green over blue | white
    const QImage full = platform::decodeJpeg(bytes);
    ASSERT_EQ(full.size(), QSize(64, 48));
    const QImage quarter = platform::decodeJpeg(bytes, QSize(16, 12));
    ASSERT_EQ(quarter.size(), QSize(16, 12));
    for (const auto& [picture, unit] : {std::pair{full, 16}, std::pair{quarter, 4}}) {
        expectColor(picture, QPoint(unit, unit), Qt::red);
        expectColor(picture, QPoint(3 * unit, unit), Qt::green);
        expectColor(picture, QPoint(unit, 2 * unit + unit / 2), Qt::blue);
        expectColor(picture, QPoint(3 * unit, 2 * unit + unit / 2), Qt::white);
    }
}

TEST(JpegDecoder, ConvertsGreyAndCmykPicturesToRgb) {
    expectColor(platform::decodeJpeg(fixture("gray.jpg")), QPoint(20, 15), QColor(128, 128, 128));
    expectColor(platform::decodeJpeg(fixture("cmyk.jpg")), QPoint(20, 15), Qt::red);
}

TEST(JpegDecoder, ShowsWhatThereIsOfATruncatedPicture) {
    EXPECT_EQ(platform::decodeJpeg(fixture("truncated.jpg")).size(), QSize(64, 48));
}

TEST(JpegDecoder, ReportsLibjpegsTextForBytesThatAreNoPicture) {
    const struct {
        QByteArray bytes;
        const char* text;
    } cases[] = {
        {QByteArray(), "Empty input file"},
        {QByteArray("PK\x03\x04 not a picture"), "Not a JPEG file"},
        {fixture("quadrants.jpg").left(2), "JPEG datastream contains no image"},
    };
    for (const auto& c : cases) {
        try {
            platform::decodeJpeg(c.bytes);
            ADD_FAILURE() << "no failure for " << c.text;
        } catch (const Failure& failure) {
            EXPECT_TRUE(failure.message().startsWith(QLatin1String(c.text)))
                << failure.message().toStdString();
        }
    }
}

TEST(JpegDecoder, ScaleKeepsEveryPixelTheFittedPictureShows) {
    const struct {
        QSize picture, box;
        int denominator;
    } cases[] = {
        {{6000, 4000}, {389, 716}, 8}, {{1600, 1200}, {389, 716}, 4}, {{800, 600}, {389, 716}, 2},
        {{640, 480}, {510, 341}, 1},   {{200, 100}, {389, 716}, 1},   {{800, 600}, {}, 1},
        {{800, 600}, {400, 300}, 2},   {{801, 600}, {400, 300}, 2},   {{798, 598}, {400, 300}, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::jpegScaleDenominatorToFit(c.picture, c.box), c.denominator)
            << c.picture.width() << "x" << c.picture.height() << " in " << c.box.width() << "x"
            << c.box.height();
    }
}

} // namespace
