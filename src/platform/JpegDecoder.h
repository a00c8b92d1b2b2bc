#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>

namespace platform {

// Decodes a JPEG picture with libjpeg. With a valid `fitWithin`, the picture is decoded
// straight from the DCT at the smallest of the scales 1/1, 1/2, 1/4 and 1/8 that still
// holds every pixel the picture shows when fitted into that box, so a large photo for a
// small pane costs a fraction of a full decode. Throws Failure with libjpeg's own text
// when the bytes are not a picture it can read.
QImage decodeJpeg(QByteArrayView bytes, QSize fitWithin = QSize());

// The scale denominator (1, 2, 4 or 8) that decodeJpeg uses for a picture of
// `pictureSize` fitted into `fitWithin`: the largest that does not drop below the
// size the fitted picture is shown at.
int jpegScaleDenominatorToFit(QSize pictureSize, QSize fitWithin);

} // namespace platform
