#pragma once

#include "skin/qsSkinForm.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QMouseEvent>
#include <QTest>

// A dialog framed the way the message window is: no border icons and a fixed client size.
struct FramedDialog {
    QDialog dialog;
    TqsSkinForm* QSF;

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
    QPoint CloseBoxCentre() const { return QPoint(dialog.width() - 12, 12); }
    QPoint CaptionPoint() const { return QPoint(30, 12); }

    // The pointer goes where a person's would: the cursor moves too, so the frame's pointer
    // timer sees the same place as the mouse events. The move event is sent even when the
    // cursor is already there (a new window may open under it), which moving the cursor alone
    // would not do.
    void MoveTo(QPoint pos) {
        QCursor::setPos(dialog.mapToGlobal(pos));
        QMouseEvent move(QEvent::MouseMove, pos, dialog.mapToGlobal(pos), Qt::NoButton, held, {});
        QApplication::sendEvent(&dialog, &move);
    }
    void Press(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        MoveTo(pos);
        QTest::mousePress(&dialog, button, {}, pos);
        held |= button;
    }
    void Release(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        MoveTo(pos);
        QTest::mouseRelease(&dialog, button, {}, pos);
        held &= ~Qt::MouseButtons(button);
    }
    void Click(QPoint pos) {
        Press(pos);
        Release(pos);
    }

private:
    Qt::MouseButtons held;
};
