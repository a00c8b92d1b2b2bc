#include "skin/qsFontCellHeight.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>
#include <QtEndian>
#include <optional>

namespace {

// Offsets of xAvgCharWidth, usWinAscent and usWinDescent in the font's OS/2 table.
constexpr int kAvgCharWidthOffset = 2;
constexpr int kWinAscentOffset = 74;
constexpr int kWinDescentOffset = 76;

struct WinMetrics {
    int avgCharWidth = 0;
    int ascent = 0;
    int descent = 0;
    qreal unitsPerEm = 0;
};

// The face's window ascent and descent in font units; none when it has no usable OS/2 table.
std::optional<WinMetrics> WinMetricsOf(const QFont& font) {
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    if (!raw.isValid() || raw.unitsPerEm() <= 0 || os2.size() < kWinDescentOffset + 2) {
        return std::nullopt;
    }
    WinMetrics m;
    m.avgCharWidth = qFromBigEndian<qint16>(os2.constData() + kAvgCharWidthOffset);
    m.ascent = qFromBigEndian<quint16>(os2.constData() + kWinAscentOffset);
    m.descent = qFromBigEndian<quint16>(os2.constData() + kWinDescentOffset);
    m.unitsPerEm = raw.unitsPerEm();
    if (m.ascent + m.descent <= 0) {
        return std::nullopt;
    }
    return m;
}

// The cell height of the face as a fraction of its em square.
double CellPerEm(const QFont& font) {
    static QHash<QString, double> cache;
    const QString key = font.key();
    if (const auto it = cache.constFind(key); it != cache.cend()) {
        return *it;
    }
    double ratio = 0;
    if (const std::optional<WinMetrics> m = WinMetricsOf(font)) {
        ratio = (m->ascent + m->descent) / m->unitsPerEm;
    } else {
        // No usable OS/2 table: fall back on the metrics the font engine reports.
        QFont probe(font);
        probe.setPixelSize(100);
        ratio = QFontMetricsF(probe).height() / 100.0;
    }
    cache.insert(key, ratio);
    return ratio;
}

} // namespace

QFont FontOfCellHeight(const QString& family, int cellHeight, bool bold) {
    QFont font(family);
    font.setBold(bold);
    font.setPixelSize(100);
    font.setPixelSize(std::max(1, qRound(cellHeight / CellPerEm(font))));
    return font;
}

FontCell CellOf(const QFont& font) {
    // Reading the face's tables is slow next to painting a label; faces repeat.
    static QHash<QString, FontCell> cache;
    const QString key = font.key();
    if (const auto it = cache.constFind(key); it != cache.cend()) {
        return *it;
    }
    FontCell cell;
    const QFontMetrics metrics(font);
    const std::optional<WinMetrics> m = WinMetricsOf(font);
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    if (m) {
        cell.Ascent = qRound(m->ascent * pixels / m->unitsPerEm);
        cell.Descent = qRound(m->descent * pixels / m->unitsPerEm);
    }
    // Never less room than the engine itself draws in.
    cell.Ascent = std::max(cell.Ascent, metrics.ascent());
    cell.Descent = std::max(cell.Descent, metrics.descent());
    cache.insert(key, cell);
    return cell;
}

int AverageCharWidth(const QFont& font) {
    static QHash<QString, int> cache;
    const QString key = font.key();
    if (const auto it = cache.constFind(key); it != cache.cend()) {
        return *it;
    }
    int width = QFontMetrics(font).averageCharWidth();
    const std::optional<WinMetrics> m = WinMetricsOf(font);
    if (m && m->avgCharWidth > 0) {
        const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
        width = qRound(m->avgCharWidth * pixels / m->unitsPerEm);
    }
    cache.insert(key, width);
    return width;
}

int CellBaselineShift(const QFont& font) {
    return CellOf(font).Ascent - QFontMetrics(font).ascent();
}
