#pragma once

#include "skin/qsSkinCustomControl.h"

#include <QTimer>
#include <functional>

class QPainter;

// A push button that paints itself. Clicking it gives its window the button's modal
// result (a non-zero result ends a modal dialog) and then runs OnClick. A default button
// is pressed by Enter while the focus is on a control that is not a button; a cancel
// button is pressed by Escape; the caption's access key presses it too.
class TqsSkinButton : public TqsSkinCustomControl {
    Q_OBJECT
public:
    explicit TqsSkinButton(QWidget* parent);

    bool CanFocused() const { return FCanFocused; }
    void SetCanFocused(bool value);
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    // Held down, the button clicks at once and then every RepeatInterval milliseconds.
    bool RepeatMode() const { return FRepeatMode; }
    void SetRepeatMode(bool value) { FRepeatMode = value; }
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(int value) { FRepeatInterval = value; }
    // Toggle-button behaviour: a click flips Down; within a group (GroupIndex not 0) one
    // button is down at a time, and AllowAllUp lets the down one be raised again.
    bool CheckedMode() const { return FCheckedMode; }
    void SetCheckedMode(bool value) { FCheckedMode = value; }
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value) { FGroupIndex = value; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value) { FAllowAllUp = value; }
    bool Down() const { return FDown; }
    void SetDown(bool value);

    // Pointer inside (or highlighted as the default button), and the button Enter presses.
    bool MouseIn() const { return FMouseIn; }
    bool Active() const { return FActive; }

    std::function<void(QObject* Sender)> OnClick;
    // When assigned, draws the caption in place of the default drawing.
    std::function<void(TqsSkinButton* Sender, QPainter& Canvas, const QRect& TextRect)> OnPaint;

    void Click();

    bool DialogKey(int key, Qt::KeyboardModifiers modifiers) override;
    bool DialogChar(QChar character) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Applies the focus rule after `focused` took the focus in this button's window.
    void FocusChanged(QWidget* focused);
    // Makes every button of `window` apply the focus rule for its current focus.
    static void AnnounceFocus(QWidget* window);
    void setMouseIn(bool value);
    void toggleDown();

    bool FCanFocused = true;
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
    bool FRepeatMode = false;
    int FRepeatInterval = 100;
    bool FCheckedMode = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
    bool FMouseIn = false;
    bool FMouseDown = false;
    bool FSpaceDown = false;
    bool FActive = false;
    QTimer FRepeatTimer;
};
