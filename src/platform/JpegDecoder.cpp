#include "platform/JpegDecoder.h"

#include "common/Failure.h"
#include "platform/ExifOrientation.h"

#include <csetjmp>
#include <cstdio>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace platform {
namespace {

// libjpeg writes RGB32's byte order straight: blue first on a little-endian machine.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_BGRX;
#else
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_XRGB;
#endif

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's default error exit ends the process; jump back to the call that failed instead.
[[noreturn]] void onFatalError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (a truncated stream, a corrupt segment) leave a partly grey picture, which is
// what a viewer shows; they are not failures.
void onMessage(j_common_ptr, int) {}

// Counts the scans and the blocks they pass over, as each scan begins.
struct ScanBudget {
    jpeg_progress_mgr base;
    int scan;
    qint64 blocks;
};

[[noreturn]] void failFromLibjpeg(j_common_ptr info, const char* format, qint64 limit) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(errors->message, sizeof errors->message, format, static_cast<long long>(limit));
    std::longjmp(errors->jump, 1);
}

// libjpeg calls this between pieces of its work. A progressive picture of endless scans,
// or of scans that each pass over a huge picture with hardly a byte of data, stops here
// before it has cost more than the limits allow.
void onProgress(j_common_ptr common) {
    const auto* info = reinterpret_cast<j_decompress_ptr>(common);
    auto* budget = reinterpret_cast<ScanBudget*>(info->progress);
    if (info->input_scan_number == budget->scan) {
        return;
    }
    budget->scan = info->input_scan_number;
    for (int i = 0; i < info->comps_in_scan; ++i) {
        budget->blocks += qint64(info->cur_comp_info[i]->width_in_blocks) *
                          info->cur_comp_info[i]->height_in_blocks;
    }
    if (budget->scan > JpegLimits::kMaxScans) {
        failFromLibjpeg(common, "More than %lld scans in the picture", JpegLimits::kMaxScans);
    }
    if (budget->blocks > JpegLimits::kMaxScanBlocks) {
        failFromLibjpeg(common, "The scans pass over more than %lld blocks",
                        JpegLimits::kMaxScanBlocks);
    }
}

// Owns a libjpeg decompressor. Every call into libjpeg goes through run(): libjpeg's
// error exit jumps back into the frame of attempt(), which holds nothing to destroy, and
// run() turns that into a Failure, so no jump ever crosses a C++ object.
class Decompressor {
public:
    Decompressor() {
        info_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = onFatalError;
        errors_.base.emit_message = onMessage;
        budget_.base.progress_monitor = onProgress;
        if (!attempt([this] { jpeg_create_decompress(&info_); })) {
            jpeg_destroy_decompress(&info_);
            throw failure();
        }
        info_.progress = &budget_.base;
        info_.mem->max_memory_to_use = JpegLimits::kMaxWorkingMemory;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct* info() { return &info_; }

    template <typename Call> void run(const Call& call) {
        if (!attempt(call)) {
            throw failure();
        }
    }

private:
    template <typename Call> bool attempt(const Call& call) {
        if (setjmp(errors_.jump) != 0) {
            return false;
        }
        call();
        return true;
    }
    Failure failure() const { return Failure(QString::fromLocal8Bit(errors_.message)); }

    jpeg_decompress_struct info_{};
    ErrorManager errors_{};
    ScanBudget budget_{};
};

// The orientation of the first EXIF block among the APP1 segments libjpeg kept.
int orientationOf(const jpeg_decompress_struct* info) {
    for (jpeg_saved_marker_ptr marker = info->marker_list; marker; marker = marker->next) {
        const QByteArrayView payload(marker->data, marker->data_length);
        if (marker->marker == JPEG_APP0 + 1 && payload.startsWith("Exif")) {
            return exifOrientation(payload);
        }
    }
    return 1;
}

// Converts one row of CMYK samples to RGB32. Adobe's programs store the inks inverted
// (0 is full ink) and mark their files so; other writers store them as they are.
void cmykRowToRgb32(const JSAMPLE* cmyk, QRgb* rgb, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[x] = qRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
    }
}

Failure tooLarge(const char* what, qint64 width, qint64 height) {
    return Failure(
        QStringLiteral("%1 too large: %2 x %3").arg(QLatin1String(what)).arg(width).arg(height));
}

} // namespace

int jpegScaleEighthsToFit(QSize pictureSize, QSize fitWithin) {
    if (!fitWithin.isValid() || fitWithin.isEmpty() || pictureSize.isEmpty()) {
        return 8;
    }
    // libjpeg rounds a scaled side up.
    const auto scaled = [](int side, int eighths) { return (qint64(side) * eighths + 7) / 8; };
    const QSize shown = pictureSize.scaled(fitWithin, Qt::KeepAspectRatio);
    for (int eighths = 1; eighths < 8; ++eighths) {
        if (scaled(pictureSize.width(), eighths) >= shown.width() &&
            scaled(pictureSize.height(), eighths) >= shown.height()) {
            return eighths;
        }
    }
    return 8;
}

QImage decodeJpeg(QByteArrayView bytes, QSize fitWithin) {
    Decompressor jpeg;
    jpeg_decompress_struct* const info = jpeg.info();
    jpeg.run([&] {
        jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(bytes.data()),
                     static_cast<unsigned long>(bytes.size()));
        jpeg_save_markers(info, JPEG_APP0 + 1, 0xFFFF);
        jpeg_read_header(info, TRUE);
    });
    if (qint64(info->image_width) * info->image_height > JpegLimits::kMaxPictureArea) {
        throw tooLarge("Picture", info->image_width, info->image_height);
    }

    const int orientation = orientationOf(info);
    const QSize stored(static_cast<int>(info->image_width), static_cast<int>(info->image_height));
    const QSize shown = orientationSwapsSides(orientation) ? stored.transposed() : stored;
    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    info->out_color_space = cmyk ? JCS_CMYK : kRgb32Space;
    info->scale_num = static_cast<unsigned>(jpegScaleEighthsToFit(shown, fitWithin));
    info->scale_denom = 8;
    jpeg.run([&] { jpeg_calc_output_dimensions(info); });
    const JDIMENSION width = info->output_width;
    if (qint64(width) * info->output_height > JpegLimits::kMaxOutputArea) {
        throw tooLarge("Decoded picture", width, info->output_height);
    }

    QImage picture(static_cast<int>(width), static_cast<int>(info->output_height),
                   QImage::Format_RGB32);
    if (picture.isNull()) {
        throw Failure(QStringLiteral("No memory for the decoded picture"));
    }
    std::vector<JSAMPLE> cmykRow(cmyk ? std::size_t(width) * 4 : 0);
    const bool inverted = info->saw_Adobe_marker;
    jpeg.run([&] { jpeg_start_decompress(info); });
    // The picture is whole once its last row is read; what follows in the file is not needed.
    while (info->output_scanline < info->output_height) {
        auto* row =
            reinterpret_cast<QRgb*>(picture.scanLine(static_cast<int>(info->output_scanline)));
        JSAMPROW target = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(row);
        JDIMENSION rows = 0;
        jpeg.run([&] { rows = jpeg_read_scanlines(info, &target, 1); });
        // A source held in memory never suspends; a row that does not come would loop forever.
        if (rows == 0) {
            throw Failure(QStringLiteral("The picture's rows stopped coming"));
        }
        if (cmyk) {
            cmykRowToRgb32(cmykRow.data(), row, width, inverted);
        }
    }
    return orientedUpright(picture, orientation);
}

} // namespace platform
