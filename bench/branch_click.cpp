// A click in the tree on a branch whose attachment is a 24-megapixel photo, with the
// picture pane at its size in a window maximised on a 1920 x 1080 screen (1463 x 1080),
// against two baselines in the same run:
//   Floor       the attachment read with bare sqlite3_blob_read pieces into a file, which
//               libjpeg then decodes at the same DCT scale (M/8) the program needs;
//   QtReader    the same file written the same way, then read by QImageReader with
//               setScaledSize to the picture's size in the pane, as a Qt programmer would.
// The click is the program's own handler: record lookup, the attachment streamed to the
// Temp folder, the decode, and the pane painted.
#include "ConnectedWindow.h"
#include "GuiBenchmarkMain.h"
#include "infobase/AppPaths.h"
#include "infobase/store/AttachmentFiles.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "platform/JpegDecoder.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <jpeglib.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr QSize kPhotoSize{6000, 4000};
constexpr QSize kScreen{1920, 1080};

// A photo-like picture: smooth colour fields with fine grain, so that the file has the size
// of a camera's (several megabytes), not of a flat test card.
QByteArray makePhoto() {
    QImage image(kPhotoSize, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            line[x] = qRgb(qBound(0, x * 255 / kPhotoSize.width() + grain, 255),
                           qBound(0, y * 255 / kPhotoSize.height() + grain, 255),
                           qBound(0, ((x + y) / 23) % 256 + grain, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes;
}

struct Program {
    QTemporaryDir folder;
    QByteArray photo;
    std::unique_ptr<TForm_Glavn> window;
    QString basePath;
    QSize pane;
    QSize fitted; // the photo's size once fitted into the pane
};

Program& program() {
    static Program* made = [] {
        auto* p = new Program;
        QDir(p->folder.path()).mkpath(QStringLiteral("Data"));
        QDir::setCurrent(p->folder.path());
        p->basePath = p->folder.filePath(QStringLiteral("Data/Quorlent.mdb"));
        infobase::branch_table::createBaseFile(p->basePath);
        p->photo = makePhoto();
        {
            auto base = infobase::SqlcipherConnection::open(p->basePath,
                                                            infobase::branch_table::kPassword, {});
            infobase::SqlStatement insert =
                base.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, "
                             "RashirenieFile, File) VALUES ('01.01.2026', 'Фото', '', '', 0, ?)");
            insert.bindBlob(1, p->photo);
            insert.step();
        }
        infobase::TTreeNodes nodes;
        nodes.AddChild(nullptr, QStringLiteral("Фото"));
        infobase::writeTreeFile(p->folder.filePath(QStringLiteral("Data/TreeView.dat")),
                                infobase::TreeViewState{}, nodes);

        p->window = startConnectedWindow(kScreen);
        TForm_Glavn* window = p->window.get();
        window->FormResize();
        QCoreApplication::processEvents();
        window->TreeNodes.setSelected(window->TreeNodes.getFirstNode());
        p->pane = window->Image1->size();
        p->fitted = kPhotoSize.scaled(p->pane, Qt::KeepAspectRatio);
        return p;
    }();
    return *made;
}

void setCounters(benchmark::State& state) {
    const Program& p = program();
    state.counters["photo_MB"] = double(p.photo.size()) / 1e6;
    state.counters["pane_w"] = p.pane.width();
    state.counters["pane_h"] = p.pane.height();
}

void BM_Click(benchmark::State& state) {
    Program& p = program();
    for (auto _ : state) {
        p.window->TreeView1Click();
    }
    if (p.window->Image1->picture().isNull()) {
        state.SkipWithError("no picture shown");
    }
    state.counters["decoded_w"] = p.window->Image1->picture().width();
    setCounters(state);
}

// The click's parts, one at a time: the attachment streamed to the Temp file, its decode,
// and the pane painted with the decoded picture.
void BM_PartExtract(benchmark::State& state) {
    Program& p = program();
    infobase::BranchQuery& query = p.window->Query_Glav;
    const QString path = p.folder.filePath(QStringLiteral("Temp/Dokument.jpg"));
    for (auto _ : state) {
        query.Locate(QStringLiteral("Imya_vetok"), QStringLiteral("Фото"),
                     {infobase::loCaseInsensitive, infobase::loPartialKey});
        infobase::extractAttachment(query.FieldByName(QStringLiteral("File")), path);
    }
}

void BM_PartDecode(benchmark::State& state) {
    Program& p = program();
    for (auto _ : state) {
        const QImage image = platform::decodeJpeg(p.photo, p.pane);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_PartPaint(benchmark::State& state) {
    Program& p = program();
    const QImage image = platform::decodeJpeg(p.photo, p.pane);
    for (auto _ : state) {
        p.window->Image1->setPicture(image);
        p.window->Image1->repaint();
    }
}

// The attachment's bytes from the base into a file with bare sqlite3 calls, 1 MiB at a time.
void blobToFile(sqlite3* db, const QByteArray& path) {
    sqlite3_blob* blob = nullptr;
    sqlite3_blob_open(db, "main", "Tab_DB_Delphi_10", "File", 1, 0, &blob);
    const int size = sqlite3_blob_bytes(blob);
    std::vector<char> piece(1 << 20);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (int offset = 0; offset < size; offset += int(piece.size())) {
        const int n = std::min(int(piece.size()), size - offset);
        sqlite3_blob_read(blob, piece.data(), n, offset);
        benchmark::DoNotOptimize(::write(fd, piece.data(), size_t(n)));
    }
    ::close(fd);
    sqlite3_blob_close(blob);
}

// The smallest M/8 scale whose output still covers the fitted size.
void chooseScale(jpeg_decompress_struct& info, QSize fitted) {
    info.scale_denom = 8;
    for (unsigned m = 1; m <= 8; ++m) {
        info.scale_num = m;
        jpeg_calc_output_dimensions(&info);
        if (int(info.output_width) >= fitted.width() &&
            int(info.output_height) >= fitted.height()) {
            return;
        }
    }
}

void BM_Floor(benchmark::State& state) {
    Program& p = program();
    auto base =
        infobase::SqlcipherConnection::open(p.basePath, infobase::branch_table::kPassword, {});
    const QByteArray path = QFile::encodeName(p.folder.filePath(QStringLiteral("floor.jpg")));
    std::vector<unsigned char> pixels;
    for (auto _ : state) {
        blobToFile(base.handle(), path);
        QFile file(QString::fromLocal8Bit(path));
        file.open(QIODevice::ReadOnly);
        const uchar* bytes = file.map(0, file.size());
        jpeg_decompress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, bytes, static_cast<unsigned long>(file.size()));
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGRX;
        chooseScale(info, p.fitted);
        jpeg_start_decompress(&info);
        const size_t stride = size_t(info.output_width) * 4;
        pixels.resize(stride * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels.data() + stride * info.output_scanline;
            jpeg_read_scanlines(&info, &row, 1);
        }
        state.counters["decoded_w"] = info.output_width;
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
    setCounters(state);
}

void BM_QtReader(benchmark::State& state) {
    Program& p = program();
    auto base =
        infobase::SqlcipherConnection::open(p.basePath, infobase::branch_table::kPassword, {});
    const QString path = p.folder.filePath(QStringLiteral("reader.jpg"));
    for (auto _ : state) {
        blobToFile(base.handle(), QFile::encodeName(path));
        QImageReader reader(path);
        reader.setScaledSize(p.fitted);
        const QImage image = reader.read();
        benchmark::DoNotOptimize(image.constBits());
    }
    setCounters(state);
}

BENCHMARK(BM_Click)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2);
BENCHMARK(BM_PartExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_PartDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_PartPaint)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_Floor)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2);
BENCHMARK(BM_QtReader)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2);

} // namespace

int main(int argc, char** argv) {
    return runGuiBenchmarks(argc, argv, [] { program().window.reset(); });
}
