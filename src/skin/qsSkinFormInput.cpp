// Pointer and keyboard handling of the frame: dragging by the caption, the caption buttons'
// hover, press and release, their commands, and the frame's own shortcuts.
#include "skin/qsSkinForm.h"
#include "skin/qsSkinFormGeometry.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

using namespace qsframe;

bool TqsSkinForm::MousePress(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const TqsHitArea area = HitTest(pos);
    if (area == TqsHitArea::Client) {
        return false;
    }
    if (area == TqsHitArea::Caption) {
        if (event->button() == Qt::RightButton) {
            PopupSystemMenu(event->globalPosition().toPoint());
        } else if (event->button() == Qt::LeftButton) {
            QWindow* window = FForm->windowHandle();
            if (Magnetic || window == nullptr || !window->startSystemMove()) {
                FMoving = true;
                FDragOffset = event->globalPosition().toPoint() - FForm->pos();
                FMouseTimer.stop();
                ClearHover();
            }
        }
        return true;
    }
    UpdateHover(pos);
    if (event->button() == Qt::LeftButton && FActiveObject >= 0 &&
        FObjectList[FActiveObject].Enabled) {
        FMouseCaptureObject = FActiveObject;
        FObjectList[FActiveObject].Down = true;
        RepaintObject(FActiveObject);
    }
    return true;
}

bool TqsSkinForm::MouseMove(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (FMoving) {
        QPoint topLeft = event->globalPosition().toPoint() - FDragOffset;
        if (Magnetic) {
            topLeft = SnapToEdges(QRect(topLeft, FForm->size()), WorkArea(), MagneticSize);
        }
        FForm->move(topLeft);
        return true;
    }
    if (FMouseCaptureObject < 0 && HitTest(pos) == TqsHitArea::Client) {
        return false;
    }
    UpdateHover(pos);
    if (!FMouseTimer.isActive()) {
        FMouseTimer.start();
    }
    return FMouseCaptureObject >= 0 || HitTest(pos) != TqsHitArea::Client;
}

bool TqsSkinForm::MouseRelease(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return false;
    }
    if (FMoving) {
        FMoving = false;
        FMouseTimer.start();
        return true;
    }
    if (FMouseCaptureObject < 0) {
        return HitTest(event->position().toPoint()) != TqsHitArea::Client;
    }
    UpdateHover(event->position().toPoint());
    const int captured = FMouseCaptureObject;
    FMouseCaptureObject = -1;
    FObjectList[captured].Down = false;
    RepaintObject(captured);
    if (FActiveObject == captured) {
        const TqsCaptionCommand command = FObjectList[captured].Command;
        ClearHover();
        RunCommand(command);
    }
    return true;
}

bool TqsSkinForm::MouseDoubleClick(QMouseEvent* event) {
    const TqsHitArea area = HitTest(event->position().toPoint());
    if (area == TqsHitArea::Client) {
        return false;
    }
    if (area == TqsHitArea::FrameObject) {
        // The second click of a quick double click on a button is a click like the first.
        return MousePress(event);
    }
    // The caption of a window that cannot be resized rolls it up, when that is allowed.
    if (event->button() == Qt::LeftButton && FBorderIcons.testFlag(biRollUp)) {
        ToggleRollUp();
    }
    return true;
}

void TqsSkinForm::UpdateHover(QPoint windowPos) {
    if (!FActive || FMoving) {
        return;
    }
    int hovered = -1;
    for (int i = 0; i < static_cast<int>(FObjectList.size()); ++i) {
        const TqsCaptionButton& b = FObjectList[i];
        if (b.Visible && b.Enabled && b.Rect.contains(windowPos)) {
            hovered = i;
            break;
        }
    }
    // While a button holds the capture no other button can take the hover.
    if (FMouseCaptureObject >= 0 && hovered != FMouseCaptureObject) {
        hovered = -1;
    }
    SetActiveObject(hovered);
}

void TqsSkinForm::SetActiveObject(int index) {
    if (index == FActiveObject) {
        return;
    }
    if (FActiveObject >= 0) {
        FObjectList[FActiveObject].MouseIn = false;
        RepaintObject(FActiveObject);
    }
    FActiveObject = index;
    if (index >= 0) {
        FObjectList[index].MouseIn = true;
        RepaintObject(index);
    }
}

void TqsSkinForm::ClearHover() {
    SetActiveObject(-1);
}

void TqsSkinForm::RepaintObject(int index) {
    FForm->update(FObjectList[index].Rect);
}

void TqsSkinForm::MouseTimerTick() {
    if (!FActive) {
        return;
    }
    const QPoint cursor = QCursor::pos();
    const QWidget* under = QApplication::widgetAt(cursor);
    if (under == nullptr || under->window() != FForm) {
        FMouseTimer.stop();
        ClearHover();
        return;
    }
    if (FMoving) {
        FMouseTimer.stop();
        return;
    }
    const QPoint pos = FForm->mapFromGlobal(cursor);
    if (ClientRectFor(FForm->size()).contains(pos)) {
        ClearHover();
    } else {
        UpdateHover(pos);
    }
}

bool TqsSkinForm::ShortcutEvent(QKeyEvent* event) {
    if (event->modifiers() != Qt::AltModifier) {
        return false;
    }
    if (event->key() == Qt::Key_Space) {
        // Alt+Space opens the system menu at its button, and only there.
        EnsureCaptionButtons();
        const int index = FindObject(TqsCaptionCommand::SystemMenu);
        if (FObjectList[index].Visible && FObjectList[index].Enabled) {
            PopupSystemMenu(SystemMenuPosition());
        }
        return true;
    }
    if (event->key() == Qt::Key_F4) {
        // The platform's close command, for platforms whose window manager leaves it to us.
        CloseWindow();
        return true;
    }
    return false;
}

void TqsSkinForm::RunCommand(TqsCaptionCommand command) {
    switch (command) {
    case TqsCaptionCommand::Close:
        CloseWindow();
        break;
    case TqsCaptionCommand::Maximize:
        ToggleMaximize();
        break;
    case TqsCaptionCommand::Minimize:
        FForm->showMinimized();
        break;
    case TqsCaptionCommand::RollUp:
        ToggleRollUp();
        break;
    case TqsCaptionCommand::SystemMenu:
        PopupSystemMenu(SystemMenuPosition());
        break;
    case TqsCaptionCommand::MinimizeToTray:
        FForm->hide();
        Q_EMIT MinimizedToTray();
        break;
    }
}

void TqsSkinForm::ToggleRollUp() {
    if (FRolledUp) {
        FRolledUp = false;
        ResizeOuter(QSize(FForm->width(), FUnrolledHeight));
    } else {
        FUnrolledHeight = FForm->height();
        FRolledUp = true;
        ResizeOuter(QSize(FForm->width(), GetMinHeight()));
    }
}

void TqsSkinForm::ToggleMaximize() {
    if (FMaximized) {
        FMaximized = false;
        ResizeOuter(FRestoreGeometry.size());
        FForm->move(FRestoreGeometry.topLeft());
    } else {
        // The window's size is fixed, so the frame itself makes it as large as the work area.
        FRestoreGeometry = FForm->geometry();
        FMaximized = true;
        ResizeOuter(QSize(GetMaxWidth(), GetMaxHeight()));
        FForm->move(FForm->screen()->availableGeometry().topLeft());
    }
}

void TqsSkinForm::Restore() {
    if (FForm->isMinimized()) {
        FForm->showNormal();
    } else if (FMaximized) {
        ToggleMaximize();
    } else if (FRolledUp) {
        ToggleRollUp();
    }
}

int TqsSkinForm::FindObject(TqsCaptionCommand command) const {
    for (int i = 0; i < static_cast<int>(FObjectList.size()); ++i) {
        if (FObjectList[i].Command == command) {
            return i;
        }
    }
    return -1;
}

QPoint TqsSkinForm::SystemMenuPosition() const {
    const int index = FindObject(TqsCaptionCommand::SystemMenu);
    const QRect button = FObjectList[index].Rect;
    return FForm->mapToGlobal(QPoint(button.left(), button.top() + button.height()));
}

void TqsSkinForm::ResizeOuter(QSize size) {
    FForm->setFixedSize(size);
    // A hidden window gets its resize event only when it is shown; lay it out now.
    if (!FForm->isVisible()) {
        SizeChanged();
    }
}
