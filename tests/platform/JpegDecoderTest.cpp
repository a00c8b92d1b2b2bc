#include "platform/JpegDecoder.h"

#include "common/Failure.h"
#include "platform/ExifOrientation.h"

#include <QDir>
#include <QFile>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

QByteArray fixture(const QString& name) {
    QFile file(QStringLiteral(PLATFORM_TEST_DATA "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

// JPEG is lossy: a colour matches when every channel is within a small distance.
void expectColor(const QImage& picture, QPoint at, QColor expected) {
    const QColor actual = picture.pixelColor(at);
    EXPECT_NEAR(actual.red(), expected.red(), 12) << at.x() << "," << at.y();
    EXPECT_NEAR(actual.green(), expected.green(), 12) << at.x() << "," << at.y();
    EXPECT_NEAR(actual.blue(), expected.blue(), 12) << at.x() << "," << at.y();
}

// Encodes a 16 x 16 picture of one colour, given as the samples of `input`, stored in the
// file as `stored`, with or without Adobe's marker.
QByteArray encodeUniform(J_COLOR_SPACE input, std::vector<JSAMPLE> sample, J_COLOR_SPACE stored,
                         bool adobeMarker) {
    constexpr int kSide = 16;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = info.image_height = kSide;
    info.input_components = static_cast<int>(sample.size());
    info.in_color_space = input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored);
    info.write_Adobe_marker = adobeMarker;
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row;
    for (int x = 0; x < kSide; ++x) {
        row.insert(row.end(), sample.begin(), sample.end());
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
    std::free(out);
    return bytes;
}

// An EXIF block as a camera writes it: the TIFF header, then IFD0 with the camera's make
// and the orientation. The parameters bend one part of it at a time.
struct ExifBlock {
    bool bigEndian = true;
    quint16 orientation = 1;
    quint16 type = 3; // SHORT
    quint32 count = 1;
    quint32 directory = 8;
    quint16 entries = 2;
    qsizetype cutTo = -1;

    QByteArray payload() const {
        QByteArray tiff(bigEndian ? "MM" : "II");
        append16(tiff, 42);
        append32(tiff, directory);
        append16(tiff, entries);
        append16(tiff, 0x010F); // make: ASCII "Cam"
        append16(tiff, 2);
        append32(tiff, 4);
        tiff.append("Cam", 4);
        append16(tiff, 0x0112);
        append16(tiff, type);
        append32(tiff, count);
        append16(tiff, orientation);
        append16(tiff, 0);
        append32(tiff, 0); // no next directory
        const QByteArray block = QByteArray("Exif\0\0", 6) + tiff;
        return cutTo < 0 ? block : block.left(cutTo);
    }
    // The JPEG with this block in an APP1 segment right after its start marker.
    QByteArray insertedInto(const QByteArray& jpeg) const {
        const QByteArray data = payload();
        QByteArray segment("\xFF\xE1");
        append16(segment, static_cast<quint16>(data.size() + 2), true);
        return jpeg.left(2) + segment + data + jpeg.mid(2);
    }

private:
    void append16(QByteArray& out, quint16 value, bool big) const {
        const char bytes[2] = {char(value >> 8), char(value)};
        out.append(big ? bytes[0] : bytes[1]).append(big ? bytes[1] : bytes[0]);
    }
    void append16(QByteArray& out, quint16 value) const { append16(out, value, bigEndian); }
    void append32(QByteArray& out, quint32 value) const {
        const quint16 high = quint16(value >> 16), low = quint16(value);
        append16(out, bigEndian ? high : low);
        append16(out, bigEndian ? low : high);
    }
};

TEST(JpegDecoder, DecodesColoursInPlaceAtEveryKindOfScale) {
    const QByteArray bytes = fixture("quadrants.jpg"); // red | green over blue | white
    const struct {
        QSize box, decoded;
    } cases[] = {
        {{}, {64, 48}},         // full size
        {{16, 12}, {16, 12}},   // 2/8, a halving IDCT
        {{40, 30}, {40, 30}},   // 5/8, an odd one
        {{640, 480}, {64, 48}}, // never enlarged
    };
    for (const auto& c : cases) {
        const QImage picture = platform::decodeJpeg(bytes, c.box);
        ASSERT_EQ(picture.size(), c.decoded) << c.box.width();
        EXPECT_EQ(picture.format(), QImage::Format_RGB32);
        const int w = picture.width(), h = picture.height();
        expectColor(picture, QPoint(w / 4, h / 4), Qt::red);
        expectColor(picture, QPoint(3 * w / 4, h / 4), Qt::green);
        expectColor(picture, QPoint(w / 4, 3 * h / 4), Qt::blue);
        expectColor(picture, QPoint(3 * w / 4, 3 * h / 4), Qt::white);
    }
}

TEST(JpegDecoder, ShowsEveryColourSpaceInItsColours) {
    // (200, 100, 40) as CMYK inks with some black, and the same inverted as Adobe stores them.
    const std::vector<JSAMPLE> inks{5, 130, 205, 51}, adobe{250, 125, 50, 204};
    const QColor colour(200, 100, 40);
    const struct {
        const char* name;
        QByteArray bytes;
        QColor expected;
    } cases[] = {
        {"grey file", fixture("gray.jpg"), QColor(128, 128, 128)},
        {"grey", encodeUniform(JCS_GRAYSCALE, {90}, JCS_GRAYSCALE, false), QColor(90, 90, 90)},
        {"RGB unconverted", encodeUniform(JCS_RGB, {200, 100, 40}, JCS_RGB, true), colour},
        {"CMYK file", fixture("cmyk.jpg"), Qt::red},
        {"CMYK Adobe inverted", encodeUniform(JCS_CMYK, adobe, JCS_CMYK, true), colour},
        {"CMYK plain", encodeUniform(JCS_CMYK, inks, JCS_CMYK, false), colour},
        {"YCCK Adobe inverted", encodeUniform(JCS_CMYK, adobe, JCS_YCCK, true), colour},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage picture = platform::decodeJpeg(c.bytes);
        expectColor(picture, QPoint(picture.width() / 2, picture.height() / 2), c.expected);
    }
}

TEST(JpegDecoder, StandsThePictureAsItsExifOrientationSays) {
    const QByteArray stored = fixture("quadrants.jpg"); // 64 x 48: red | green over blue | white
    const QColor r = Qt::red, g = Qt::green, b = Qt::blue, w = Qt::white;
    // The colours seen top left, top right, bottom left and bottom right.
    const std::array<QColor, 4> seen[9] = {
        {},           {r, g, b, w}, {g, r, w, b}, {w, b, g, r}, {b, w, r, g},
        {r, b, g, w}, {b, r, w, g}, {w, g, b, r}, {g, w, r, b},
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (bool bigEndian : {true, false}) {
            SCOPED_TRACE(orientation * (bigEndian ? 1 : -1));
            ExifBlock exif;
            exif.bigEndian = bigEndian;
            exif.orientation = quint16(orientation);
            const QImage picture = platform::decodeJpeg(exif.insertedInto(stored));
            ASSERT_EQ(picture.size(), orientation >= 5 ? QSize(48, 64) : QSize(64, 48));
            const int pw = picture.width(), ph = picture.height();
            expectColor(picture, QPoint(pw / 4, ph / 4), seen[orientation][0]);
            expectColor(picture, QPoint(3 * pw / 4, ph / 4), seen[orientation][1]);
            expectColor(picture, QPoint(pw / 4, 3 * ph / 4), seen[orientation][2]);
            expectColor(picture, QPoint(3 * pw / 4, 3 * ph / 4), seen[orientation][3]);
        }
    }
}

TEST(JpegDecoder, ScalesATurnedPictureByTheSizeItIsShownAt) {
    ExifBlock exif;
    exif.orientation = 6;
    // Shown 48 x 64, it fills a 24 x 32 box at 4/8; judged by its stored 64 x 48 it would
    // get 3/8 and come out at 18 x 24, short of the box.
    EXPECT_EQ(
        platform::decodeJpeg(exif.insertedInto(fixture("quadrants.jpg")), QSize(24, 32)).size(),
        QSize(24, 32));
}

TEST(ExifOrientation, ReadsOnlyAWellFormedTag) {
    const auto bent = [](auto change) {
        ExifBlock exif;
        exif.orientation = 6;
        change(exif);
        return exif.payload();
    };
    const struct {
        const char* name;
        QByteArray payload;
        int orientation;
    } cases[] = {
        {"big-endian", bent([](ExifBlock&) {}), 6},
        {"little-endian", bent([](ExifBlock& e) { e.bigEndian = false; }), 6},
        {"count of entries past the end", bent([](ExifBlock& e) { e.entries = 0xFFFF; }), 6},
        {"value 0", bent([](ExifBlock& e) { e.orientation = 0; }), 1},
        {"value 9", bent([](ExifBlock& e) { e.orientation = 9; }), 1},
        {"type LONG", bent([](ExifBlock& e) { e.type = 4; }), 1},
        {"two values", bent([](ExifBlock& e) { e.count = 2; }), 1},
        {"directory past the end", bent([](ExifBlock& e) { e.directory = 0xFFFFFFF0; }), 1},
        {"directory at the last byte", bent([](ExifBlock& e) { e.directory = 37; }), 1},
        {"entry cut", bent([](ExifBlock& e) { e.cutTo = 6 + 8 + 2 + 12 + 10; }), 1},
        {"TIFF header cut", bent([](ExifBlock& e) { e.cutTo = 6 + 7; }), 1},
        {"not EXIF", QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>"), 1},
        {"empty", QByteArray(), 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::exifOrientation(c.payload), c.orientation) << c.name;
    }
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
        int eighths;
    } cases[] = {
        {{6000, 4000}, {389, 716}, 1}, {{6000, 4000}, {1500, 900}, 2},
        {{1600, 1200}, {389, 716}, 2}, {{800, 600}, {389, 716}, 4},
        {{640, 480}, {510, 341}, 6},   {{200, 100}, {389, 716}, 8},
        {{800, 600}, {}, 8},           {{800, 600}, {0, 300}, 8},
        {{800, 600}, {400, 300}, 4},   {{801, 600}, {400, 300}, 4},
        {{798, 598}, {400, 300}, 5},   {{1000, 10}, {875, 875}, 7},
        {{65500, 65500}, {1, 1}, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::jpegScaleEighthsToFit(c.picture, c.box), c.eighths)
            << c.picture.width() << "x" << c.picture.height() << " in " << c.box.width() << "x"
            << c.box.height();
    }
}

QString failureOf(const QByteArray& bytes, QSize box) {
    try {
        return platform::decodeJpeg(bytes, box).isNull() ? QStringLiteral("null picture")
                                                         : QString();
    } catch (const Failure& failure) {
        return failure.message().isEmpty() ? QStringLiteral("empty failure") : failure.message();
    }
}

// Every hostile file gives a picture or a Failure, as its name says, when fitted into a
// maximised pane; each limit stops its own files; a full-size decode does not crash either.
TEST(JpegDecoder, HostileFilesEndInAPictureOrAFailure) {
    const QSize pane(1600, 900);
    const QDir corpus(QStringLiteral(PLATFORM_TEST_DATA "/hostile-jpeg"));
    const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 20);
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = fixture(QStringLiteral("hostile-jpeg/") + name);
        const QString failure = failureOf(bytes, pane);
        EXPECT_EQ(failure.isEmpty(), name.startsWith(QLatin1String("decodes-")))
            << failure.toStdString();
        failureOf(bytes, QSize());
    }
    const struct {
        const char* name;
        QSize box;
        const char* text;
    } limits[] = {
        {"fails-65500x65500.jpg", pane, "Picture too large: 65500 x 65500"},
        {"fails-16385x16384.jpg", pane, "Picture too large: 16385 x 16384"},
        {"decodes-16384x16384-empty.jpg", QSize(), "Decoded picture too large: 16384 x 16384"},
        {"fails-progressive-16000x16000.jpg", pane, "Backing store not supported"},
        {"fails-separate-scans-16000x16000.jpg", pane, "Backing store not supported"},
        {"fails-progressive-101-scans.jpg", pane, "More than 100 scans in the picture"},
        {"fails-progressive-250-scans.jpg", pane, "More than 100 scans in the picture"},
        {"fails-empty-scans-11000x11000.jpg", pane,
         "The scans pass over more than 33554432 blocks"},
    };
    for (const auto& l : limits) {
        EXPECT_EQ(failureOf(fixture(QStringLiteral("hostile-jpeg/") + QLatin1String(l.name)), l.box)
                      .toStdString(),
                  l.text)
            << l.name;
    }
}

} // namespace
