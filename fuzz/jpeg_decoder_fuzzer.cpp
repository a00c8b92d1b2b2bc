#include "common/Failure.h"
#include "platform/JpegDecoder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// libFuzzer entry: every input decodes to a picture within the limits or ends in a Failure.
// The input's last two bytes also give the box (1 to 256 pixels a side) the picture is
// fitted into, as the program always fits it into its pane: every scale is searched, and
// the full one for pictures no larger than the box.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QSize box = size >= 2 ? QSize(data[size - 2] + 1, data[size - 1] + 1) : QSize(64, 64);
    try {
        const QImage picture = platform::decodeJpeg(
            QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), box);
        if (picture.isNull() ||
            qint64(picture.width()) * picture.height() > platform::JpegLimits::kMaxOutputArea) {
            std::fprintf(stderr, "decoded to a picture of %d x %d\n", picture.width(),
                         picture.height());
            std::abort();
        }
    } catch (const Failure&) {
    }
    return 0;
}
