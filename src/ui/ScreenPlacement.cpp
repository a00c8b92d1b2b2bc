#include "ui/ScreenPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace ui {
namespace {

QSize frameSize(const QWidget* window) {
    return window->frameGeometry().size();
}

// Centres its window on every show, and once more when the frame's size becomes known. The
// desktop tells the frame when it first draws the window, which the window's surface hears
// of as an expose; it need not move the window.
class ShowCentring : public QObject {
public:
    explicit ShowCentring(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            if (watched == window_) {
                watchSurface();
                centreOnScreen(window_);
                centredFrame_ = frameSize(window_);
                awaitingFrame_ = true;
            }
            break;
        case QEvent::Expose:
        case QEvent::Move:
        case QEvent::Resize:
            if (awaitingFrame_ && frameSize(window_) != centredFrame_) {
                awaitingFrame_ = false;
                centreOnScreen(window_);
            }
            break;
        case QEvent::Hide:
            if (watched == window_) {
                awaitingFrame_ = false;
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    void watchSurface() {
        QWindow* surface = window_->windowHandle();
        if (surface != nullptr && surface != surface_) {
            surface_ = surface;
            surface->installEventFilter(this);
        }
    }

    QWidget* window_;
    QPointer<QWindow> surface_;
    QSize centredFrame_;
    bool awaitingFrame_ = false;
};

} // namespace

void centreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect desktop = screen->geometry();
    const QSize frame = frameSize(window);
    // The position of a top-level window is that of its frame.
    window->move(desktop.left() + (desktop.width() - frame.width()) / 2,
                 desktop.top() + (desktop.height() - frame.height()) / 2);
}

void centreOnScreenWhenShown(QWidget* window) {
    new ShowCentring(window);
}

} // namespace ui
