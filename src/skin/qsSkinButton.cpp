#include "skin/qsSkinButton.h"

#include "skin/qsDrawing.h"
#include "skin/qsFontCellHeight.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

TqsSkinButton::TqsSkinButton(QWidget* parent)
    : TqsSkinCustomControl(parent, QStringLiteral("button")) {
    resize(75, 25);
    setFocusPolicy(Qt::StrongFocus);
    FRepeatTimer.callOnTimeout(this, [this] {
        if (FMouseDown && FDown) {
            Click();
        }
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && now->window() == window()) {
            FocusChanged(now);
        }
    });
}

void TqsSkinButton::SetCanFocused(bool value) {
    FCanFocused = value;
    setFocusPolicy(value ? Qt::StrongFocus : Qt::NoFocus);
}

void TqsSkinButton::SetDefault(bool value) {
    FDefault = value;
    AnnounceFocus(window());
}

void TqsSkinButton::SetDown(bool value) {
    if (FDown == value) {
        return;
    }
    FDown = value;
    update();
}

void TqsSkinButton::AnnounceFocus(QWidget* window) {
    QWidget* focused = window->focusWidget();
    for (TqsSkinButton* button : window->findChildren<TqsSkinButton*>()) {
        button->FocusChanged(focused);
    }
}

void TqsSkinButton::FocusChanged(QWidget* focused) {
    const bool onButton = qobject_cast<TqsSkinButton*>(focused) != nullptr;
    FActive = onButton ? focused == this : FDefault;
    // While a control that is no button has the focus, the default buttons stand in for it
    // with the highlighted look; a button that stops being default drops that look.
    if (!FMouseDown) {
        setMouseIn(underMouse() || (FDefault && !onButton));
    }
}

void TqsSkinButton::setMouseIn(bool value) {
    if (FMouseIn == value) {
        return;
    }
    FMouseIn = value;
    update();
}

void TqsSkinButton::Click() {
    if (FCanFocused && FModalResult != 0) {
        if (auto* dialog = qobject_cast<QDialog*>(window())) {
            dialog->done(FModalResult);
        }
    }
    if (OnClick) {
        OnClick(this);
    }
}

void TqsSkinButton::toggleDown() {
    if (FGroupIndex == 0) {
        SetDown(!FDown);
        return;
    }
    if (FDown) {
        if (FAllowAllUp) {
            SetDown(false);
        }
        return;
    }
    for (TqsSkinButton* other :
         parentWidget()->findChildren<TqsSkinButton*>(Qt::FindDirectChildrenOnly)) {
        if (other != this && other->FCheckedMode && other->FGroupIndex == FGroupIndex) {
            other->SetDown(false);
        }
    }
    SetDown(true);
}

bool TqsSkinButton::DialogKey(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (FActive && isEnabled()) {
            Click();
            return true;
        }
        return false;
    }
    if (key == Qt::Key_Escape && FCancel && FCanFocused &&
        (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0 &&
        CanTakeFocus()) {
        Click();
        return true;
    }
    return false;
}

bool TqsSkinButton::DialogChar(QChar character) {
    const QChar key = qsdraw::AccessKey(Caption());
    if (key.isNull() || key != character.toUpper() || !CanTakeFocus()) {
        return false;
    }
    setFocus(Qt::ShortcutFocusReason);
    Click();
    return true;
}

void TqsSkinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (FCanFocused && !hasFocus()) {
        setFocus(Qt::MouseFocusReason);
        if (!hasFocus()) {
            return;
        }
    }
    FMouseDown = true;
    FMouseIn = true;
    if (FCheckedMode) {
        update();
    } else {
        SetDown(true);
    }
    if (FRepeatMode) {
        Click();
        FRepeatTimer.start(FRepeatInterval);
    }
    update();
}

void TqsSkinButton::mouseMoveEvent(QMouseEvent* event) {
    if (!FMouseDown) {
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != FMouseIn) {
        FMouseIn = inside;
        if (!FCheckedMode) {
            SetDown(inside);
        }
        update();
    }
}

void TqsSkinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !FMouseDown) {
        return;
    }
    FMouseDown = false;
    FRepeatTimer.stop();
    const bool inside = rect().contains(event->position().toPoint());
    if (FCheckedMode) {
        if (inside) {
            toggleDown();
            Click();
        }
        update();
        return;
    }
    const bool wasDown = FDown;
    SetDown(false);
    if (inside && wasDown && !FRepeatMode) {
        Click();
    }
}

void TqsSkinButton::keyPressEvent(QKeyEvent* event) {
    if (!FCanFocused) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat()) {
            FSpaceDown = true;
            if (!FCheckedMode) {
                SetDown(true);
            }
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Click();
        return;
    default:
        event->ignore();
    }
}

void TqsSkinButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || event->isAutoRepeat() || !FSpaceDown) {
        event->ignore();
        return;
    }
    FSpaceDown = false;
    if (FCheckedMode) {
        toggleDown();
    } else {
        SetDown(false);
    }
    Click();
}

void TqsSkinButton::enterEvent(QEnterEvent*) {
    setMouseIn(true);
}

void TqsSkinButton::leaveEvent(QEvent*) {
    // A default button that Enter presses stays highlighted while a non-button has the focus.
    const QWidget* focused = window()->focusWidget();
    const bool keepsHighlight = FDefault && FActive && focused != this &&
                                qobject_cast<const TqsSkinButton*>(focused) == nullptr;
    if (!FMouseDown) {
        setMouseIn(keepsHighlight);
    }
}

void TqsSkinButton::focusInEvent(QFocusEvent* event) {
    update();
    TqsSkinCustomControl::focusInEvent(event);
}

void TqsSkinButton::focusOutEvent(QFocusEvent* event) {
    if (FSpaceDown) {
        FSpaceDown = false;
        if (!FCheckedMode) {
            SetDown(false);
        }
    }
    update();
    TqsSkinCustomControl::focusOutEvent(event);
}

void TqsSkinButton::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0) {
        return;
    }
    const QPalette& pal = palette();
    QPixmap buffer(size());
    QPainter canvas(&buffer);

    const bool pressedLook = FDown && (FMouseIn || (hasFocus() && !FMouseDown) || FGroupIndex != 0);
    const bool highlightedLook = FMouseIn || hasFocus();
    QColor frame = qsdraw::BtnShadow(pal);
    QColor fill = qsdraw::BtnFace(pal);
    if (pressedLook) {
        frame = qsdraw::kFrameBlue;
        fill = qsdraw::kPressedFill;
    } else if (highlightedLook) {
        frame = qsdraw::kFrameBlue;
        fill = qsdraw::kHoverFill;
    }
    canvas.fillRect(rect(), fill);
    canvas.setPen(frame);
    canvas.drawRect(0, 0, width() - 1, height() - 1);

    const FontDescription& described = DefaultFont();
    const QFont font = described.toQFont();
    canvas.setFont(font);
    canvas.setPen(isEnabled() ? described.textColor(pal) : qsdraw::BtnShadow(pal));
    constexpr int kFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs |
                           Qt::TextShowMnemonic;
    // The caption block is centred by its lines' cell height, as window text is laid out.
    const QFontMetrics metrics(font);
    const QRect measured = metrics.boundingRect(rect(), kFlags, Caption());
    const int lines = std::max(1, qRound(qreal(measured.height()) / metrics.lineSpacing()));
    int top = (height() - lines * CellOf(font).Height()) / 2;
    if (described.hasOddHeight()) {
        --top;
    }
    const QRect textRect(0, top + CellBaselineShift(font), width(), measured.height());
    if (OnPaint) {
        OnPaint(this, canvas, textRect);
    } else {
        canvas.drawText(textRect, kFlags | Qt::TextDontClip, Caption());
    }
    canvas.end();

    QPainter(this).drawPixmap(0, 0, buffer);
}
