#include "JetUsageMaps.h"

#include "JetEncoding.h"

#include <QtEndian>
#include <algorithm>
#include <map>

namespace jetfile {
namespace {

constexpr int kInlineBitmapBytes = 64; // the size Access gives a map of its own
constexpr std::uint32_t kPagesPerMapPage = (kPageSize - 4) * 8;
constexpr int kMapPageSlots = 17; // as many as fill the same 69 bytes

QByteArray inlineMap(std::uint32_t start, int bitmapBytes) {
    QByteArray record(5 + bitmapBytes, '\0');
    qToLittleEndian<std::uint32_t>(start, record.data() + 1);
    return record;
}

QByteArray inlineUsage(const std::vector<std::uint32_t>& pages) {
    const std::uint32_t start = pages.empty() ? 0 : pages.front();
    const std::uint32_t span = pages.empty() ? 0 : pages.back() - start + 1;
    QByteArray record =
        inlineMap(start, std::max<int>(kInlineBitmapBytes, static_cast<int>((span + 7) / 8)));
    for (std::uint32_t page : pages) {
        const std::uint32_t bit = page - start;
        record[5 + bit / 8] = static_cast<char>(record[5 + bit / 8] | 1 << (bit % 8));
    }
    return record;
}

QByteArray pagesUsage(const std::vector<std::uint32_t>& pages, JetPageFile& file,
                      JetFileLayout& layout) {
    std::map<std::uint32_t, QByteArray> bitmaps; // by map slot
    for (std::uint32_t page : pages) {
        QByteArray& bitmap = bitmaps[page / kPagesPerMapPage];
        if (bitmap.isEmpty()) {
            bitmap = QByteArray(kPageSize, '\0');
            bitmap[0] = 0x05;
            bitmap[1] = 0x01;
        }
        const std::uint32_t bit = page % kPagesPerMapPage;
        bitmap[4 + bit / 8] = static_cast<char>(bitmap[4 + bit / 8] | 1 << (bit % 8));
    }
    const std::uint32_t slots =
        std::max<std::uint32_t>(kMapPageSlots, bitmaps.empty() ? 0 : bitmaps.rbegin()->first + 1);
    QByteArray record(1 + 4 * static_cast<int>(slots), '\0');
    record[0] = 0x01;
    for (const auto& [slot, bitmap] : bitmaps) {
        const std::uint32_t mapPage = file.allocate();
        file.write(mapPage, bitmap);
        ++layout.usageMapPages;
        qToLittleEndian<std::uint32_t>(mapPage, record.data() + 1 + 4 * slot);
    }
    return record;
}

} // namespace

MapRecords mapRecords(const std::vector<std::uint32_t>& dataPages, UsageMapKind kind,
                      JetPageFile& file, JetFileLayout& layout) {
    if (kind == UsageMapKind::Auto)
        kind = dataPages.empty() || dataPages.back() - dataPages.front() < kInlineBitmapBytes * 8
                   ? UsageMapKind::Inline
                   : UsageMapKind::MapPages;
    if (kind == UsageMapKind::Inline)
        return {inlineUsage(dataPages),
                inlineMap(dataPages.empty() ? 0 : dataPages.front(), kInlineBitmapBytes)};
    QByteArray freeSpace(1 + 4 * kMapPageSlots, '\0');
    freeSpace[0] = 0x01;
    return {pagesUsage(dataPages, file, layout), freeSpace};
}

} // namespace jetfile
