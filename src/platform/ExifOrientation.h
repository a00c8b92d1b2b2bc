#pragma once

#include <QByteArrayView>
#include <QImage>

namespace platform {

// The orientation tag (1 to 8) of an EXIF block, given the payload of a JPEG APP1 segment
// ("Exif\0\0" and a TIFF structure). Only the first directory (IFD0) is read, where
// cameras put the tag. Anything that is not a well-formed tag of a known value — another
// kind of APP1, an offset or count past the end, a wrong type — gives 1, "as stored".
int exifOrientation(QByteArrayView app1Payload);

// Whether a picture of this orientation is shown a quarter turn from how it is stored,
// so that its width and height change places.
bool orientationSwapsSides(int orientation);

// The stored picture turned and mirrored as the orientation says it is to be seen.
QImage orientedUpright(const QImage& stored, int orientation);

} // namespace platform
