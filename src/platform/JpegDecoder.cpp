#include "platform/JpegDecoder.h"

#include "common/Failure.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace platform {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's default error exit ends the process; jump back to the decoder instead.
[[noreturn]] void onFatalError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (a truncated stream, a corrupt segment) leave a partly grey picture, which is
// what a viewer shows; they are not failures.
void onMessage(j_common_ptr, int) {}

// Converts one scan line of inverted (Adobe) or plain CMYK samples to RGB.
void cmykLineToRgb(const JSAMPLE* cmyk, uchar* rgb, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[0] = static_cast<uchar>(c * k / 255);
        rgb[1] = static_cast<uchar>(m * k / 255);
        rgb[2] = static_cast<uchar>(y * k / 255);
    }
}

// Runs the whole decode between one setjmp and libjpeg's calls. Only plain data lives in
// this frame after the setjmp, so a jump back skips no destructor; the picture and the
// CMYK line are owned by the caller.
bool decodeInto(jpeg_decompress_struct* info, ErrorManager* errors, QByteArrayView bytes,
                QSize fitWithin, QImage* picture, QByteArray* cmykLine) {
    if (setjmp(errors->jump) != 0) {
        return false;
    }
    jpeg_create_decompress(info);
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(info, TRUE);

    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    info->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    info->scale_num = 1;
    info->scale_denom = static_cast<unsigned>(jpegScaleDenominatorToFit(
        QSize(static_cast<int>(info->image_width), static_cast<int>(info->image_height)),
        fitWithin));
    jpeg_start_decompress(info);

    *picture = QImage(static_cast<int>(info->output_width), static_cast<int>(info->output_height),
                      QImage::Format_RGB888);
    if (picture->isNull()) {
        std::snprintf(errors->message, sizeof errors->message, "Picture too large: %ux%u",
                      info->output_width, info->output_height);
        return false;
    }
    if (cmyk) {
        cmykLine->resize(static_cast<qsizetype>(info->output_width) * 4);
    }
    const bool inverted = info->saw_Adobe_marker;
    while (info->output_scanline < info->output_height) {
        uchar* row = picture->scanLine(static_cast<int>(info->output_scanline));
        if (cmyk) {
            JSAMPROW line = reinterpret_cast<JSAMPROW>(cmykLine->data());
            jpeg_read_scanlines(info, &line, 1);
            cmykLineToRgb(line, row, info->output_width, inverted);
        } else {
            JSAMPROW line = row;
            jpeg_read_scanlines(info, &line, 1);
        }
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace

int jpegScaleDenominatorToFit(QSize pictureSize, QSize fitWithin) {
    if (!fitWithin.isValid() || fitWithin.isEmpty() || pictureSize.isEmpty()) {
        return 1;
    }
    // Shown at factor r = min(box/picture); a decode at 1/d keeps enough pixels while
    // d * r <= 1, i.e. d * box <= picture in the limiting dimension.
    const double r = std::min(double(fitWithin.width()) / pictureSize.width(),
                              double(fitWithin.height()) / pictureSize.height());
    int denominator = 1;
    for (int d : {2, 4, 8}) {
        if (d * r <= 1.0) {
            denominator = d;
        }
    }
    return denominator;
}

QImage decodeJpeg(QByteArrayView bytes, QSize fitWithin) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.emit_message = onMessage;

    QImage picture;
    QByteArray cmykLine;
    const bool decoded = decodeInto(&info, &errors, bytes, fitWithin, &picture, &cmykLine);
    jpeg_destroy_decompress(&info);
    if (!decoded) {
        throw Failure(QString::fromLocal8Bit(errors.message));
    }
    return picture;
}

} // namespace platform
