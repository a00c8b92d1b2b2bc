#include "skin/qsFontCellHeight.h"

#include <QFontMetricsF>
#include <QRawFont>
#include <QtEndian>

namespace {

// Offsets of usWinAscent and usWinDescent in the font's OS/2 table.
constexpr int kWinAscentOffset = 74;
constexpr int kWinDescentOffset = 76;

// The cell height of the face as a fraction of its em square.
double CellPerEm(const QFont& font) {
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    if (raw.isValid() && raw.unitsPerEm() > 0 && os2.size() >= kWinDescentOffset + 2) {
        const int ascent = qFromBigEndian<quint16>(os2.constData() + kWinAscentOffset);
        const int descent = qFromBigEndian<quint16>(os2.constData() + kWinDescentOffset);
        if (ascent + descent > 0) {
            return (ascent + descent) / raw.unitsPerEm();
        }
    }
    // No usable OS/2 table: fall back on the metrics the font engine reports.
    QFont probe(font);
    probe.setPixelSize(100);
    return QFontMetricsF(probe).height() / 100.0;
}

} // namespace

QFont FontOfCellHeight(const QString& family, int cellHeight, bool bold) {
    QFont font(family);
    font.setBold(bold);
    font.setPixelSize(100);
    font.setPixelSize(std::max(1, qRound(cellHeight / CellPerEm(font))));
    return font;
}
