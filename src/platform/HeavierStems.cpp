#include "platform/HeavierStems.h"

#include "platform/SfntTables.h"

#include <QRect>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace platform {
namespace {

// Flags of a simple glyph's points.
constexpr quint8 kOnCurve = 0x01;
constexpr quint8 kXShort = 0x02;
constexpr quint8 kYShort = 0x04;
constexpr quint8 kRepeat = 0x08;
constexpr quint8 kXSameOrPositive = 0x10;
constexpr quint8 kYSameOrPositive = 0x20;
constexpr quint8 kOverlapSimple = 0x40;

struct SimpleGlyph {
    int headerLeft = 0; // the left edge the glyph's header gives, which places the glyph
    std::vector<quint16> contourEnds;
    QByteArray instructions;
    std::vector<quint8> flags; // kOnCurve and kOverlapSimple only
    std::vector<QPoint> points;
};

// Reads big-endian numbers from a span, remembering whether it ever ran past the end.
class Reader {
public:
    explicit Reader(QByteArrayView bytes, qsizetype at = 0) : bytes_(bytes), at_(at) {}
    bool ok() const { return ok_; }
    quint8 u8() { return quint8(take(1) ? bytes_[at_ - 1] : 0); }
    quint16 u16() { return take(2) ? qFromBigEndian<quint16>(bytes_.data() + at_ - 2) : 0; }
    qint16 i16() { return qint16(u16()); }
    quint32 u32() { return take(4) ? qFromBigEndian<quint32>(bytes_.data() + at_ - 4) : 0; }
    QByteArray bytes(qsizetype count) {
        return take(count) ? bytes_.sliced(at_ - count, count).toByteArray() : QByteArray();
    }

private:
    bool take(qsizetype count) {
        if (!ok_ || count < 0 || at_ + count > bytes_.size()) {
            ok_ = false;
            return false;
        }
        at_ += count;
        return true;
    }
    QByteArrayView bytes_;
    qsizetype at_;
    bool ok_ = true;
};

int readCoordinate(Reader& in, quint8 flag, quint8 shortBit, quint8 sameBit) {
    if ((flag & shortBit) != 0) {
        const int magnitude = in.u8();
        return (flag & sameBit) != 0 ? magnitude : -magnitude;
    }
    return (flag & sameBit) != 0 ? 0 : in.i16();
}

std::optional<SimpleGlyph> decodeSimpleGlyph(QByteArrayView bytes) {
    Reader in(bytes);
    const int contours = in.i16();
    SimpleGlyph glyph;
    glyph.headerLeft = in.i16();
    in.bytes(6); // the rest of the bounding box, made anew on writing
    for (int c = 0; c < contours; ++c) {
        glyph.contourEnds.push_back(in.u16());
        if (c > 0 && glyph.contourEnds[c] <= glyph.contourEnds[c - 1]) {
            return std::nullopt;
        }
    }
    glyph.instructions = in.bytes(in.u16());
    const std::size_t pointCount = contours > 0 ? glyph.contourEnds.back() + 1u : 0u;
    std::vector<quint8> flags;
    while (in.ok() && flags.size() < pointCount) {
        const quint8 flag = in.u8();
        const int repeats = (flag & kRepeat) != 0 ? in.u8() : 0;
        flags.insert(flags.end(), 1 + repeats, flag);
    }
    if (!in.ok() || flags.size() != pointCount) {
        return std::nullopt;
    }
    glyph.points.resize(pointCount);
    int x = 0;
    int y = 0;
    for (std::size_t i = 0; i < pointCount; ++i) {
        x += readCoordinate(in, flags[i], kXShort, kXSameOrPositive);
        glyph.points[i].setX(x);
    }
    for (std::size_t i = 0; i < pointCount; ++i) {
        y += readCoordinate(in, flags[i], kYShort, kYSameOrPositive);
        glyph.points[i].setY(y);
    }
    for (const quint8 flag : flags) {
        glyph.flags.push_back(flag & (kOnCurve | kOverlapSimple));
    }
    return in.ok() ? std::optional(glyph) : std::nullopt;
}

// One coordinate's delta in the smallest form; returns the flag bits it needs.
quint8 encodeDelta(QByteArray& out, int delta, quint8 shortBit, quint8 sameBit) {
    if (delta == 0) {
        return sameBit;
    }
    if (std::abs(delta) < 256) {
        out.append(char(std::abs(delta)));
        return quint8(shortBit | (delta > 0 ? sameBit : 0));
    }
    appendBigEndian<quint16>(out, quint16(qint16(delta)));
    return 0;
}

QByteArray encodeSimpleGlyph(const SimpleGlyph& glyph, const QRect& box) {
    QByteArray xs;
    QByteArray ys;
    std::vector<quint8> flags;
    QPoint previous(0, 0);
    for (std::size_t i = 0; i < glyph.points.size(); ++i) {
        const QPoint delta = glyph.points[i] - previous;
        previous = glyph.points[i];
        flags.push_back(glyph.flags[i] | encodeDelta(xs, delta.x(), kXShort, kXSameOrPositive) |
                        encodeDelta(ys, delta.y(), kYShort, kYSameOrPositive));
    }
    QByteArray out;
    appendBigEndian<quint16>(out, quint16(glyph.contourEnds.size()));
    for (const int edge : {box.left(), box.top(), box.right(), box.bottom()}) {
        appendBigEndian<quint16>(out, quint16(qint16(edge)));
    }
    for (const quint16 end : glyph.contourEnds) {
        appendBigEndian<quint16>(out, end);
    }
    appendBigEndian<quint16>(out, quint16(glyph.instructions.size()));
    out.append(glyph.instructions);
    for (std::size_t i = 0; i < flags.size();) {
        std::size_t run = 1;
        while (i + run < flags.size() && flags[i + run] == flags[i] && run < 256) {
            ++run;
        }
        if (run > 1) {
            out.append(char(flags[i] | kRepeat));
            out.append(char(run - 1));
        } else {
            out.append(char(flags[i]));
        }
        i += run;
    }
    out.append(xs);
    out.append(ys);
    return out;
}

// The box from the lowest to the highest x and y (right and bottom hold the maxima).
QRect boxOf(const std::vector<QPoint>& points) {
    if (points.empty()) {
        return {};
    }
    int left = points[0].x(), right = left, low = points[0].y(), high = low;
    for (const QPoint& p : points) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        low = std::min(low, p.y());
        high = std::max(high, p.y());
    }
    return QRect(QPoint(left, low), QPoint(right, high));
}

struct Vector {
    double x = 0;
    double y = 0;
};

// Widens the outline by `growth` units along x only, the way FreeType emboldens an outline
// with no vertical strength. Each point moves out along the bisector of its two edges'
// normals, restricted so that short segments do not fold over; the whole glyph then moves
// right by half the growth, so its left edges stay put. Upright edges move fully, level
// edges not at all, so heights and depths keep their exact values.
void widenOutline(SimpleGlyph& glyph, double growth) {
    double area = 0;
    std::size_t first = 0;
    for (const quint16 end : glyph.contourEnds) {
        for (std::size_t i = first; i <= end; ++i) {
            const QPoint& a = glyph.points[i];
            const QPoint& b = glyph.points[i == end ? first : i + 1];
            area += double(a.x()) * b.y() - double(b.x()) * a.y();
        }
        first = end + 1u;
    }
    if (area == 0) {
        return;
    }
    const bool clockwise = area < 0; // outer contours of a TrueType glyph run clockwise
    const double strength = growth / 2;

    std::vector<double> x(glyph.points.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = glyph.points[i].x();
    }
    first = 0;
    for (const quint16 endPoint : glyph.contourEnds) {
        const long start = long(first);
        const long last = endPoint;
        const auto next = [&](long at) { return at < last ? at + 1 : start; };
        Vector in, anchor;
        double lengthIn = 0, lengthAnchor = 0;
        // j walks the points; i trails it and moves only once a point's shift is known;
        // k marks the first point moved, where the walk ends.
        for (long i = last, j = start, k = -1; j != i && i != k; j = next(j)) {
            Vector out;
            double lengthOut;
            if (j != k) {
                out = {double(glyph.points[j].x() - glyph.points[i].x()),
                       double(glyph.points[j].y() - glyph.points[i].y())};
                lengthOut = std::hypot(out.x, out.y);
                if (lengthOut == 0) {
                    continue;
                }
                out.x /= lengthOut;
                out.y /= lengthOut;
            } else {
                out = anchor;
                lengthOut = lengthAnchor;
            }
            if (lengthIn != 0) {
                if (k < 0) {
                    k = i;
                    anchor = in;
                    lengthAnchor = lengthIn;
                }
                double shift = 0;
                double d = in.x * out.x + in.y * out.y;
                if (d > -0.9375) { // turns sharper than about 160 degrees are left alone
                    d += 1;
                    shift = clockwise ? -(in.y + out.y) : in.y + out.y;
                    double q = out.x * in.y - out.y * in.x;
                    if (clockwise) {
                        q = -q;
                    }
                    const double shortest = std::min(lengthIn, lengthOut);
                    shift =
                        strength * q <= shortest * d ? shift * strength / d : shift * shortest / q;
                }
                for (; i != j; i = next(i)) {
                    x[i] += strength + shift;
                }
            } else {
                i = j;
            }
            in = out;
            lengthIn = lengthOut;
        }
        first = endPoint + 1u;
    }
    for (std::size_t i = 0; i < x.size(); ++i) {
        glyph.points[i].setX(int(std::lround(x[i])));
    }
}

} // namespace

QByteArray withHeavierStems(const QByteArray& font, double growthEm) {
    std::optional<SfntTables> tables = readSfntTables(font);
    if (!tables) {
        return {};
    }
    for (const char* tag : {"head", "maxp", "hhea", "hmtx", "loca", "glyf"}) {
        if (!tables->contains(tag)) {
            return {};
        }
    }
    QByteArray& head = (*tables)["head"];
    QByteArray& hmtx = (*tables)["hmtx"];
    const QByteArray& glyf = (*tables)["glyf"];
    Reader headIn(head, 18);
    const int unitsPerEm = headIn.u16();
    Reader locaFormatIn(head, 50);
    const bool longOffsets = locaFormatIn.i16() == 1;
    Reader glyphCountIn((*tables)["maxp"], 4);
    const int glyphCount = glyphCountIn.u16();
    Reader longMetricsIn((*tables)["hhea"], 34);
    const int longMetrics = longMetricsIn.u16();
    // Where a glyph's left side bearing lies in 'hmtx': in the (advance, bearing) pairs of the
    // first glyphs, then in the bearings alone of those sharing the last advance.
    const auto lsbAt = [longMetrics](int glyph) -> qsizetype {
        return glyph < longMetrics ? 4 * glyph + 2 : 4 * longMetrics + 2 * (glyph - longMetrics);
    };
    if (!headIn.ok() || !locaFormatIn.ok() || !glyphCountIn.ok() || !longMetricsIn.ok() ||
        longMetrics == 0 || longMetrics > glyphCount || hmtx.size() < lsbAt(glyphCount - 1) + 2) {
        return {};
    }
    Reader loca((*tables)["loca"]);
    const auto offsetAt = [&] { return longOffsets ? loca.u32() : 2u * loca.u16(); };

    const double growth = growthEm * unitsPerEm;
    QByteArray newGlyf;
    newGlyf.reserve(glyf.size() + glyf.size() / 4); // flags written unpacked take a little more
    QByteArray newLoca;
    int rightmost = qFromBigEndian<qint16>(head.constData() + 40);
    quint32 start = offsetAt();
    for (int g = 0; g < glyphCount; ++g) {
        const quint32 end = offsetAt();
        if (!loca.ok() || end < start || end > quint32(glyf.size())) {
            return {};
        }
        appendBigEndian<quint32>(newLoca, quint32(newGlyf.size()));
        const QByteArrayView bytes = QByteArrayView(glyf).sliced(start, end - start);
        start = end;
        if (bytes.size() >= 10 && qFromBigEndian<qint16>(bytes.data()) > 0) {
            std::optional<SimpleGlyph> glyph = decodeSimpleGlyph(bytes);
            if (!glyph) {
                return {};
            }
            widenOutline(*glyph, growth);
            const QRect after = boxOf(glyph->points);
            rightmost = std::max(rightmost, after.right());
            newGlyf.append(encodeSimpleGlyph(*glyph, after));
            // The glyph's origin is its header's left edge less the left side bearing; the
            // bearing follows the new edge so that the origin stays where it was.
            char* lsb = hmtx.data() + lsbAt(g);
            qToBigEndian<qint16>(
                qint16(qFromBigEndian<qint16>(lsb) + after.left() - glyph->headerLeft), lsb);
        } else {
            newGlyf.append(bytes); // empty and composite glyphs follow their parts
        }
        newGlyf.append((4 - newGlyf.size() % 4) % 4, '\0');
    }
    appendBigEndian<quint32>(newLoca, quint32(newGlyf.size()));
    (*tables)["glyf"] = newGlyf;
    (*tables)["loca"] = newLoca;
    qToBigEndian<qint16>(qint16(rightmost), head.data() + 40); // the font's widest reach
    qToBigEndian<qint16>(1, head.data() + 50);                 // long offsets in 'loca'
    return writeSfntTables(*std::move(tables));
}

} // namespace platform
