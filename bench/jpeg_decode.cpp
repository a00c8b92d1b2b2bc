// The JPEG decoder on a 24-megapixel photo shown in the main window's picture pane,
// maximised on a 1920 x 1080 screen, against libjpeg alone decoding at the same scale (what
// `djpeg -scale` does, without writing a file). The photo is written beside the program as
// jpeg_decode_data/photo-24mp.jpg, so that djpeg can be timed on the same file.
#include "platform/JpegDecoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;
const QSize kPane(1463, 1040);

// Smooth gradients with fine grain, as a camera's photo has: quality 90, halved colour.
QByteArray makePhoto(QByteArrayView exifApp1 = {}) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (!exifApp1.isEmpty()) {
        jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exifApp1.data()),
                          static_cast<unsigned>(exifApp1.size()));
    }
    std::vector<JSAMPLE> row(kWidth * 3);
    std::uint32_t grain = 12345;
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < kWidth; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int noise = static_cast<int>(grain >> 28) - 8;
            row[3 * x] = static_cast<JSAMPLE>(std::clamp(x * 255 / kWidth + noise, 0, 255));
            row[3 * x + 1] = static_cast<JSAMPLE>(std::clamp(y * 255 / kHeight + noise, 0, 255));
            row[3 * x + 2] = static_cast<JSAMPLE>(std::clamp(((x + y) / 16) % 256 + noise, 0, 255));
        }
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
    std::free(out);
    return bytes;
}

const QByteArray& photo() {
    static const QByteArray bytes = [] {
        QByteArray made = makePhoto();
        const QDir folder =
            QFileInfo(QFile::symLinkTarget("/proc/self/exe")).dir().filePath("jpeg_decode_data");
        QDir().mkpath(folder.path());
        QFile file(folder.filePath("photo-24mp.jpg"));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(made);
        }
        return made;
    }();
    return bytes;
}

// The same photo stored on its side, as a phone held upright writes it (orientation 6).
const QByteArray& turnedPhoto() {
    static const QByteArray bytes = makePhoto(QByteArrayView(
        "Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 32));
    return bytes;
}

void BM_DecodeFittedToPane(benchmark::State& state) {
    const QByteArray& bytes = photo();
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::decodeJpeg(bytes, kPane));
    }
    state.SetLabel("scale " +
                   std::to_string(platform::jpegScaleEighthsToFit(QSize(kWidth, kHeight), kPane)) +
                   "/8");
}
BENCHMARK(BM_DecodeFittedToPane)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_DecodeTurnedFittedToPane(benchmark::State& state) {
    const QByteArray& bytes = turnedPhoto();
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::decodeJpeg(bytes, kPane));
    }
}
BENCHMARK(BM_DecodeTurnedFittedToPane)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The floor: libjpeg alone at the decoder's scale, into one buffer kept between runs.
void BM_BareLibjpegSameScale(benchmark::State& state) {
    const QByteArray& bytes = photo();
    const int eighths = platform::jpegScaleEighthsToFit(QSize(kWidth, kHeight), kPane);
    std::vector<JSAMPLE> pixels;
    for (auto _ : state) {
        jpeg_decompress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                     static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGRX;
        info.scale_num = static_cast<unsigned>(eighths);
        info.scale_denom = 8;
        jpeg_start_decompress(&info);
        const std::size_t stride = std::size_t(info.output_width) * 4;
        pixels.resize(stride * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW line = pixels.data() + stride * info.output_scanline;
            jpeg_read_scanlines(&info, &line, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_BareLibjpegSameScale)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// What the scale saves: the whole photo at full size.
void BM_DecodeFullSize(benchmark::State& state) {
    const QByteArray& bytes = photo();
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::decodeJpeg(bytes));
    }
}
BENCHMARK(BM_DecodeFullSize)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
