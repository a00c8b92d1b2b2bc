#include "ui/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ui {

void centreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect desktop = screen->geometry();
    window->move(desktop.center() - window->rect().center());
}

} // namespace ui
