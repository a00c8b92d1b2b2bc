#pragma once

#include "skin/qsSkinForm.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <functional>

// Moves, presses and releases the pointer over a window the way a person's hand does: the
// cursor moves too, so the frame's pointer timer sees the same place as the mouse events.
// A move event is sent even when the cursor is already there (a new window may open under
// it), which moving the cursor alone would not do.
class PointerOver {
public:
    explicit PointerOver(QWidget& window) : FWindow(window) {}

    void MoveTo(QPoint pos) {
        QCursor::setPos(FWindow.mapToGlobal(pos));
        QMouseEvent move(QEvent::MouseMove, pos, FWindow.mapToGlobal(pos), Qt::NoButton, FHeld, {});
        QApplication::sendEvent(&FWindow, &move);
    }
    void Press(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        MoveTo(pos);
        QTest::mousePress(&FWindow, button, {}, pos);
        FHeld |= button;
    }
    void Release(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        MoveTo(pos);
        QTest::mouseRelease(&FWindow, button, {}, pos);
        FHeld &= ~Qt::MouseButtons(button);
    }
    void Click(QPoint pos) {
        Press(pos);
        Release(pos);
    }

private:
    QWidget& FWindow;
    Qt::MouseButtons FHeld;
};

// Where a person points on a framed window of the given outer width.
inline QPoint CloseBoxCentre(int outerWidth) {
    return QPoint(outerWidth - 12, 12);
}
inline QPoint CaptionPoint() {
    return QPoint(30, 12);
}

// Runs an action on the popup menu as soon as it is shown (the menu runs its own loop). The
// watch ends with the test that set it, whether a menu showed or not.
class MenuWatch {
public:
    explicit MenuWatch(std::function<void(QMenu*)> action) {
        FPoll.setInterval(5);
        QObject::connect(&FPoll, &QTimer::timeout, [this, action] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                FPoll.stop();
                action(menu);
            }
        });
        FPoll.start();
    }

private:
    QTimer FPoll;
};

// Chooses the last item of a popup menu with the keyboard.
inline void ChooseLastItem(QMenu* menu) {
    menu->setActiveAction(menu->actions().constLast());
    QTest::keyClick(menu, Qt::Key_Return);
}

// A dialog framed the way the message window is: no border icons and a fixed client size.
struct FramedDialog {
    QDialog dialog;
    TqsSkinForm* QSF;
    PointerOver pointer{dialog};

    explicit FramedDialog(QSize client = QSize(200, 100),
                          const QString& caption = QStringLiteral("Information"))
        : QSF(new TqsSkinForm(&dialog)) {
        QSF->SetBorderIcons({});
        QSF->SetClientSize(client.width(), client.height());
        dialog.setWindowTitle(caption);
        dialog.move(100, 100);
    }

    // Shows the dialog modally without blocking, and waits until it is active and painted.
    bool Open() {
        dialog.open();
        return QTest::qWaitForWindowActive(&dialog) && QTest::qWaitForWindowExposed(&dialog);
    }

    int Width() const { return dialog.width(); }
    QPoint CloseBoxCentre() const { return ::CloseBoxCentre(dialog.width()); }
    QPoint CaptionPoint() const { return ::CaptionPoint(); }

    void MoveTo(QPoint pos) { pointer.MoveTo(pos); }
    void Press(QPoint pos, Qt::MouseButton button = Qt::LeftButton) { pointer.Press(pos, button); }
    void Release(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        pointer.Release(pos, button);
    }
    void Click(QPoint pos) { pointer.Click(pos); }
};
