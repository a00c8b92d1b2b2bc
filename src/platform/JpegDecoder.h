#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>

namespace platform {

// Decodes a JPEG picture with libjpeg into an RGB32 image that stands as the camera's EXIF
// orientation says. Grey, RGB, YCbCr, CMYK and YCCK pictures all come out in colour as
// they should be seen. With a valid `fitWithin`, the picture is decoded straight from the
// DCT at the smallest scale M/8 (M = 1 to 8) that still holds every pixel the picture shows
// when fitted into that box keeping its proportions, so a large photo for a small pane
// costs a fraction of a full decode; the view then scales it the rest of the way.
// A picture cut short shows what there is of it, the rest grey. Throws Failure with
// libjpeg's own text (or the limit's) when the bytes are not a picture it can read or
// the picture passes one of JpegLimits.
QImage decodeJpeg(QByteArrayView bytes, QSize fitWithin = QSize());

// The M of the scale M/8 that decodeJpeg uses for a picture shown at `pictureSize` and
// fitted into `fitWithin`: the smallest whose picture does not fall below the size the
// fitted picture is shown at (8 without a box or for a picture no larger than it).
int jpegScaleEighthsToFit(QSize pictureSize, QSize fitWithin);

// What decodeJpeg takes on at most, so that any file ends in a picture or a Failure within
// bounded time and memory, however large it says it is.
struct JpegLimits {
    // Pixels the file may declare (16384 x 16384). The decoding work follows this size at
    // every scale, so it bounds the time; it is well above any camera's photos.
    static constexpr qint64 kMaxPictureArea = qint64(1) << 28;
    // Pixels of the decoded picture, 4 bytes each (256 MiB): a 64-megapixel photo at full
    // size; fitted into a screen's pane any picture of kMaxPictureArea stays below it.
    static constexpr qint64 kMaxOutputArea = qint64(1) << 26;
    // libjpeg's own memory, which a progressive or multi-scan picture fills with all its
    // coefficients (2 bytes each): enough for 42 megapixels in full colour resolution, 85
    // with the usual halved colour. Baseline pictures, as cameras write them, need little.
    static constexpr long kMaxWorkingMemory = 256L << 20;
    // Scans of a progressive picture: encoders write about ten.
    static constexpr qint64 kMaxScans = 100;
    // 8 x 8 blocks all scans together pass over. Each scan passes over the blocks of its
    // components even when it holds almost no data, so this, not the file's size, bounds
    // the time; encoders pass over each block some six to ten times.
    static constexpr qint64 kMaxScanBlocks = qint64(1) << 25;
};

} // namespace platform
