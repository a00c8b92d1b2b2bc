#include "skin/qsSkinCheckRadioBox.h"

#include "skin/qsAccessibility.h"
#include "skin/qsDrawing.h"
#include "skin/qsFontCellHeight.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

TqsSkinCheckRadioBox::TqsSkinCheckRadioBox(QWidget* parent)
    : TqsSkinCustomControl(parent, QStringLiteral("checkbox")) {
    resize(150, 25);
    setFocusPolicy(Qt::ClickFocus);
}

void TqsSkinCheckRadioBox::SetCanFocused(bool value) {
    FCanFocused = value;
    setFocusPolicy(value ? Qt::ClickFocus : Qt::NoFocus);
}

void TqsSkinCheckRadioBox::SetChecked(bool value) {
    const bool changed = FChecked != value;
    const TCheckBoxState before = FState;
    FChecked = value;
    if (value) {
        FState = cbChecked;
    } else if (FState == cbChecked) {
        FState = cbUnchecked;
    }
    update();
    if (FState != before) {
        AnnounceCheckStateChange(this);
    }
    if (value && (FRadio || FGroupIndex != 0) && parentWidget() != nullptr) {
        for (auto* other :
             parentWidget()->findChildren<TqsSkinCheckRadioBox*>(Qt::FindDirectChildrenOnly)) {
            if (other != this && other->FGroupIndex == FGroupIndex && other->FRadio == FRadio) {
                other->SetChecked(false);
            }
        }
    }
    if (changed && OnClick && (!FRadio || value)) {
        OnClick(this);
    }
}

void TqsSkinCheckRadioBox::SetState(TCheckBoxState value) {
    if (value == cbGrayed) {
        const bool changed = FState != cbGrayed;
        FState = cbGrayed;
        FChecked = false;
        update();
        if (changed) {
            AnnounceCheckStateChange(this);
        }
        return;
    }
    const bool wasGrayed = FState == cbGrayed;
    FState = cbUnchecked;
    SetChecked(value == cbChecked);
    if (wasGrayed && FState == cbUnchecked) {
        AnnounceCheckStateChange(this);
    }
}

void TqsSkinCheckRadioBox::SetRadio(bool value) {
    FRadio = value;
    update();
}

void TqsSkinCheckRadioBox::SetWordWrap(bool value) {
    FWordWrap = value;
    update();
}

void TqsSkinCheckRadioBox::Toggle() {
    SetChecked(FRadio ? true : !FChecked);
}

void TqsSkinCheckRadioBox::setMouseIn(bool value) {
    if (FMouseIn != value) {
        FMouseIn = value;
        update();
    }
}

bool TqsSkinCheckRadioBox::DialogChar(QChar character) {
    const QChar key = qsdraw::AccessKey(Caption());
    if (key.isNull() || key != character.toUpper() || !CanTakeFocus()) {
        return false;
    }
    setFocus(Qt::ShortcutFocusReason);
    Toggle();
    return true;
}

void TqsSkinCheckRadioBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (!hasFocus()) {
        if (FCanFocused) {
            setFocus(Qt::MouseFocusReason);
        }
        if (!hasFocus()) {
            return;
        }
    }
    FDown = true;
    FMouseIn = true;
    update();
}

void TqsSkinCheckRadioBox::mouseMoveEvent(QMouseEvent* event) {
    if (FDown) {
        setMouseIn(rect().contains(event->position().toPoint()));
    }
}

void TqsSkinCheckRadioBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !FDown) {
        return;
    }
    FDown = false;
    if (!rect().contains(event->position().toPoint())) {
        update();
        return;
    }
    if (FAllowGrayed && !FRadio && FState == cbUnchecked) {
        SetState(cbGrayed);
    } else {
        Toggle();
    }
}

void TqsSkinCheckRadioBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        event->ignore();
    }
}

void TqsSkinCheckRadioBox::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    Toggle();
}

void TqsSkinCheckRadioBox::enterEvent(QEnterEvent*) {
    setMouseIn(true);
}

void TqsSkinCheckRadioBox::leaveEvent(QEvent*) {
    if (!FDown) {
        setMouseIn(false);
    }
}

void TqsSkinCheckRadioBox::focusInEvent(QFocusEvent* event) {
    update();
    TqsSkinCustomControl::focusInEvent(event);
}

void TqsSkinCheckRadioBox::focusOutEvent(QFocusEvent* event) {
    update();
    TqsSkinCustomControl::focusOutEvent(event);
}

void TqsSkinCheckRadioBox::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0) {
        return;
    }
    const QPalette& pal = palette();
    const int h = height();
    QPixmap buffer(size());
    QPainter canvas(&buffer);

    canvas.fillRect(rect(), qsdraw::BtnFace(pal));
    if (hasFocus() || FMouseIn) {
        canvas.setPen(qsdraw::BtnShadow(pal));
        canvas.drawRect(0, 0, width() - 1, h - 1);
    }

    const FontDescription& described = DefaultFont();
    const QFont font = described.toQFont();
    canvas.setFont(font);
    canvas.setPen(isEnabled() ? described.textColor(pal) : qsdraw::BtnShadow(pal));
    // One line centred by its cell height; with word wrap the lines start at the top.
    const int textFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextDontClip |
                          (FWordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    int textTop = FWordWrap ? 0 : (h - CellOf(font).Height()) / 2;
    if (described.hasOddHeight()) {
        --textTop;
    }
    canvas.drawText(QRect(19, textTop + CellBaselineShift(font), width() - 19, h), textFlags,
                    Caption());

    // The box: a 14-pixel square, framed, filled with the window colour.
    const QRect box(3, h / 2 - 7, 14, 14);
    canvas.fillRect(box, qsdraw::WindowColor(pal));
    canvas.setPen(FMouseIn ? qsdraw::kFrameBlue : qsdraw::BtnShadow(pal));
    canvas.drawRect(box.adjusted(0, 0, -1, -1));

    if (FRadio) {
        if (FChecked) {
            canvas.setRenderHint(QPainter::Antialiasing);
            canvas.setPen(Qt::NoPen);
            canvas.setBrush(isEnabled() ? QColor(Qt::black) : qsdraw::BtnShadow(pal));
            canvas.drawEllipse(QRectF(box).center(), 3.0, 3.0);
        }
    } else if (FState != cbUnchecked) {
        QColor mark = isEnabled() ? QColor(Qt::black) : qsdraw::BtnShadow(pal);
        if (FState == cbGrayed) {
            mark = qsdraw::GrayText(pal);
        }
        // The tick: three stacked two-segment lines.
        canvas.setPen(mark);
        const int x = 7;
        const int y = h / 2 - 4;
        for (int i = 0; i < 3; ++i) {
            const QPoint corner(x + 2, y + 7 - i);
            qsdraw::LineTo(canvas, QPoint(x, y + 5 - i), corner);
            qsdraw::LineTo(canvas, corner, QPoint(x + 7, y + 2 - i));
        }
    }
    canvas.end();

    QPainter(this).drawPixmap(0, 0, buffer);
}
