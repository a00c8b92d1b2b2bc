#include "ui/SearchWindowPlace.h"

#include <algorithm>

namespace ui {

QRect searchWindowFrame(const QRect& mainFrame, const QRect& pane, const QRect& screen,
                        QSize wanted) {
    const int height = std::min(wanted.height(), screen.height());
    const int top = std::clamp(mainFrame.top(), screen.top(), screen.bottom() + 1 - height);
    if (screen.right() - mainFrame.right() >= wanted.width()) {
        return {QPoint(mainFrame.right() + 1, top), QSize(wanted.width(), height)};
    }
    if (mainFrame.left() - screen.left() >= wanted.width()) {
        return {QPoint(mainFrame.left() - wanted.width(), top), QSize(wanted.width(), height)};
    }
    // The part of the pane on the screen; a pane off the screen counts as the screen's
    // bottom right corner.
    QRect room = pane.intersected(screen);
    if (room.isEmpty()) {
        room = QRect(screen.bottomRight() - QPoint(wanted.width(), wanted.height()) + QPoint(1, 1),
                     wanted)
                   .intersected(screen);
    }
    const QSize size(std::min(wanted.width(), room.width()),
                     std::min(wanted.height(), std::max(1, room.height() * 2 / 3)));
    return {QPoint(room.left(), room.bottom() + 1 - size.height()), size};
}

} // namespace ui
