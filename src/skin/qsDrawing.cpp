#include "skin/qsDrawing.h"

#include <QPainter>
#include <cstdlib>

namespace qsdraw {

QColor BtnFace(const QPalette& palette) {
    return palette.color(QPalette::Button);
}
QColor BtnText(const QPalette& palette) {
    return palette.color(QPalette::ButtonText);
}
QColor BtnShadow(const QPalette& palette) {
    return palette.color(QPalette::Dark);
}
QColor BtnHighlight(const QPalette& palette) {
    return palette.color(QPalette::Light);
}
QColor DkShadow3D(const QPalette& palette) {
    return palette.color(QPalette::Shadow);
}
QColor WindowColor(const QPalette& palette) {
    return palette.color(QPalette::Base);
}
QColor WindowText(const QPalette& palette) {
    return palette.color(QPalette::WindowText);
}
QColor GrayText(const QPalette& palette) {
    return palette.color(QPalette::Disabled, QPalette::Text);
}

void LineTo(QPainter& painter, QPoint from, QPoint to) {
    // Bresenham, stopping one step short of the end point.
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    int err = dx + dy;
    QPoint p = from;
    while (p != to) {
        painter.drawPoint(p);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.rx() += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.ry() += sy;
        }
    }
}

QChar AccessKey(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') {
            continue;
        }
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1].toUpper();
    }
    return {};
}

ShownCaption ShowCaption(const QString& caption) {
    ShownCaption shown;
    shown.Text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (++i == caption.size()) {
                break; // a trailing "&" marks nothing
            }
            if (caption[i] != u'&' && shown.AccessIndex < 0) {
                shown.AccessIndex = static_cast<int>(shown.Text.size());
            }
        }
        shown.Text += caption[i];
    }
    return shown;
}

} // namespace qsdraw
