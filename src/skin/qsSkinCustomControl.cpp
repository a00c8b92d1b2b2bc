#include "skin/qsSkinCustomControl.h"

#include "skin/qsAccessibility.h"

#include <QEvent>
#include <QKeyEvent>

TqsSkinCustomControl::TqsSkinCustomControl(QWidget* parent, const QString& skinDataName)
    : QWidget(parent), FSkinDataName(skinDataName) {
    setFont(FDefaultFont.toQFont());
    InstallSkinAccessibility();
}

void TqsSkinCustomControl::SetDefaultFont(const FontDescription& value) {
    FDefaultFont = value;
    setFont(FDefaultFont.toQFont());
    update();
}

void TqsSkinCustomControl::SetDefaultWidth(int value) {
    FDefaultWidth = value;
    if (value > 0) {
        resize(value, height());
    }
}

void TqsSkinCustomControl::SetDefaultHeight(int value) {
    FDefaultHeight = value;
    if (value > 0) {
        resize(width(), value);
    }
}

void TqsSkinCustomControl::SetCaption(const QString& value) {
    if (FCaption == value) {
        return;
    }
    FCaption = value;
    update();
    AnnounceNameChange(this);
}

void TqsSkinCustomControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
    QWidget::changeEvent(event);
}

bool TqsSkinCustomControl::DialogKey(int, Qt::KeyboardModifiers) {
    return false;
}

bool TqsSkinCustomControl::DialogChar(QChar) {
    return false;
}

bool TqsSkinCustomControl::CanTakeFocus() const {
    return focusPolicy() != Qt::NoFocus && isEnabled() && isVisible();
}

bool OfferDialogKey(QWidget* window, const QKeyEvent& event) {
    const auto controls = window->findChildren<TqsSkinCustomControl*>();
    const int key = event.key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        for (TqsSkinCustomControl* control : controls) {
            if (control->DialogKey(key, event.modifiers())) {
                return true;
            }
        }
        return false;
    }
    if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) {
        return false;
    }
    // With Alt held the event may carry no text; the key code names the character then.
    QChar character;
    if (!event.text().isEmpty() && event.text()[0].isPrint()) {
        character = event.text()[0];
    } else if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) {
        character = QChar(key);
    }
    if (character.isNull()) {
        return false;
    }
    for (TqsSkinCustomControl* control : controls) {
        if (control->DialogChar(character)) {
            return true;
        }
    }
    return false;
}
