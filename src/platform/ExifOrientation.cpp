#include "platform/ExifOrientation.h"

#include <QTransform>
#include <cstdint>

namespace platform {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr qsizetype kEntrySize = 12;

// Reads the TIFF structure's integers in its own byte order, refusing any read past the end.
class TiffReader {
public:
    TiffReader(QByteArrayView tiff, bool bigEndian) : tiff_(tiff), bigEndian_(bigEndian) {}

    bool has(qint64 offset, qint64 size) const {
        return offset >= 0 && size >= 0 && offset <= tiff_.size() - size;
    }
    std::uint32_t read(qsizetype offset, int size) const {
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            const auto byte =
                static_cast<std::uint8_t>(tiff_[offset + (bigEndian_ ? i : size - 1 - i)]);
            value = value << 8 | byte;
        }
        return value;
    }
    std::uint16_t u16(qsizetype offset) const {
        return static_cast<std::uint16_t>(read(offset, 2));
    }
    std::uint32_t u32(qsizetype offset) const { return read(offset, 4); }

private:
    QByteArrayView tiff_;
    bool bigEndian_;
};

} // namespace

int exifOrientation(QByteArrayView app1Payload) {
    static constexpr char kExifHeader[] = {'E', 'x', 'i', 'f', '\0', '\0'};
    const QByteArrayView header(kExifHeader, sizeof kExifHeader);
    if (!app1Payload.startsWith(header)) {
        return 1;
    }
    const QByteArrayView tiff = app1Payload.sliced(header.size());
    if (tiff.size() < 8) {
        return 1;
    }
    bool bigEndian;
    if (tiff.startsWith("MM")) {
        bigEndian = true;
    } else if (tiff.startsWith("II")) {
        bigEndian = false;
    } else {
        return 1;
    }
    const TiffReader reader(tiff, bigEndian);
    if (reader.u16(2) != 42) {
        return 1;
    }
    const qint64 directory = reader.u32(4);
    if (!reader.has(directory, 2)) {
        return 1;
    }
    const qint64 entries = reader.u16(directory);
    // A count that runs past the end is cut to the entries that are there.
    for (qint64 i = 0; i < entries && reader.has(directory + 2 + i * kEntrySize, kEntrySize); ++i) {
        const auto entry = static_cast<qsizetype>(directory + 2 + i * kEntrySize);
        if (reader.u16(entry) != kOrientationTag) {
            continue;
        }
        if (reader.u16(entry + 2) != kTypeShort || reader.u32(entry + 4) != 1) {
            return 1;
        }
        const int value = reader.u16(entry + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

bool orientationSwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

QImage orientedUpright(const QImage& stored, int orientation) {
    // Quarter turns are exact in QImage::transformed: pixels move, none is resampled.
    const QTransform quarterTurn = QTransform().rotate(90);
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.mirrored(true, true);
    case 4:
        return stored.mirrored(false, true);
    case 5: // transposed: the stored rows are the shown columns
        return stored.transformed(quarterTurn).mirrored(true, false);
    case 6:
        return stored.transformed(quarterTurn);
    case 7: // transposed across the other diagonal
        return stored.transformed(quarterTurn).mirrored(false, true);
    case 8:
        return stored.transformed(QTransform().rotate(270));
    default:
        return stored;
    }
}

} // namespace platform
