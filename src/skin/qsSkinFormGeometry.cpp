#include "skin/qsSkinFormGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace qsframe {

QRect ClientRectFor(QSize outer) {
    const int left = kBorderWidth;
    const int top = kBorderWidth + kCaptionHeight;
    const int width = std::max(0, outer.width() - 2 * kBorderWidth);
    const int height = std::max(0, outer.height() - top - kBorderWidth);
    return QRect(left, top, width, height);
}

QSize OuterSizeForClient(QSize client) {
    return QSize(client.width() + kNonClientWidth, client.height() + kNonClientHeight);
}

QRect CaptionStripRect(int outerWidth) {
    return QRect(kBorderWidth, kBorderWidth, std::max(0, outerWidth - 2 * kBorderWidth),
                 kCaptionHeight);
}

std::vector<TqsCaptionButton> DefaultCaptionButtons(TqsBorderIcons icons) {
    const auto button = [](const char* name, TqsCaptionCommand command, bool shown) {
        TqsCaptionButton b;
        b.Name = QString::fromLatin1(name);
        b.Command = command;
        b.Enabled = shown;
        b.Visible = shown;
        return b;
    };
    return {
        button("closebutton", TqsCaptionCommand::Close, true),
        button("maxbutton", TqsCaptionCommand::Maximize, icons.testFlag(biMaximize)),
        button("minbutton", TqsCaptionCommand::Minimize, icons.testFlag(biMinimize)),
        button("rollupbutton", TqsCaptionCommand::RollUp, icons.testFlag(biRollUp)),
        button("sysmenubutton", TqsCaptionCommand::SystemMenu, icons.testFlag(biSystemMenu)),
        button("traybutton", TqsCaptionCommand::MinimizeToTray, icons.testFlag(biMinimizeToTray)),
    };
}

void PlaceCaptionButtons(std::vector<TqsCaptionButton>& buttons, int outerWidth) {
    static constexpr TqsCaptionCommand kRightToLeft[] = {
        TqsCaptionCommand::Close, TqsCaptionCommand::Maximize, TqsCaptionCommand::Minimize,
        TqsCaptionCommand::RollUp, TqsCaptionCommand::MinimizeToTray};
    int right = outerWidth - kBorderWidth;
    for (TqsCaptionCommand command : kRightToLeft) {
        for (TqsCaptionButton& b : buttons) {
            if (b.Command == command && b.Visible) {
                b.Rect = QRect(right - kButtonSize, kButtonTop, kButtonSize, kButtonSize);
                right -= kButtonSize;
            }
        }
    }
    for (TqsCaptionButton& b : buttons) {
        if (b.Command == TqsCaptionCommand::SystemMenu && b.Visible) {
            b.Rect = QRect(kBorderWidth, kButtonTop, kButtonSize, kButtonSize);
        }
    }
}

QRect CaptionTextArea(const std::vector<TqsCaptionButton>& buttons, int outerWidth) {
    const QRect strip = CaptionStripRect(outerWidth);
    int left = strip.left();
    int right = strip.left() + strip.width(); // exclusive
    for (const TqsCaptionButton& b : buttons) {
        if (!b.Visible) {
            continue;
        }
        if (b.Command == TqsCaptionCommand::SystemMenu) {
            left = std::max(left, b.Rect.left() + b.Rect.width());
        } else {
            right = std::min(right, b.Rect.left());
        }
    }
    return QRect(left, strip.top(), std::max(0, right - left), strip.height());
}

TqsHitArea HitTest(QPoint pos, const std::vector<TqsCaptionButton>& buttons, QSize outer) {
    if (CaptionTextArea(buttons, outer.width()).contains(pos)) {
        return TqsHitArea::Caption;
    }
    if (ClientRectFor(outer).contains(pos)) {
        return TqsHitArea::Client;
    }
    return TqsHitArea::FrameObject;
}

QString ShortenCaption(const QString& caption, const QFontMetrics& metrics, int available) {
    if (metrics.horizontalAdvance(caption) <= available) {
        return caption;
    }
    static const QString kEllipsis = QStringLiteral("...");
    QString text = caption;
    while (!text.isEmpty() && metrics.horizontalAdvance(text + kEllipsis) > available) {
        // Never split a surrogate pair.
        text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
    }
    return text + kEllipsis;
}

QPoint CaptionTextOrigin(int leftReserve, int available, int textWidth, int textHeight) {
    return QPoint(leftReserve + available / 2 - (textWidth + 5) / 2,
                  kCaptionHeight / 2 - textHeight / 2);
}

QPoint SnapToEdges(const QRect& window, const QRect& workArea, int distance) {
    // One axis: the near edge wins over the far one when both are within reach.
    const auto snap = [distance](int start, int length, int areaStart, int areaLength) {
        if (std::abs(start - areaStart) <= distance) {
            return areaStart;
        }
        const int areaEnd = areaStart + areaLength;
        if (std::abs(start + length - areaEnd) <= distance) {
            return areaEnd - length;
        }
        return start;
    };
    return QPoint(snap(window.left(), window.width(), workArea.left(), workArea.width()),
                  snap(window.top(), window.height(), workArea.top(), workArea.height()));
}

std::vector<int> FadeInOpacities(int target) {
    const int step = std::max(1, target / 15);
    std::vector<int> opacities;
    for (int opacity = 0; opacity < target;) {
        opacity = std::min(opacity + step, target);
        opacities.push_back(opacity);
    }
    return opacities;
}

} // namespace qsframe
