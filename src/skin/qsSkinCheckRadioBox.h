#pragma once

#include "skin/qsSkinCustomControl.h"

#include <functional>

// A check box (or, with Radio on, a radio button) that paints itself. It is not in the
// tab order but takes the focus by mouse or by its access key.
class TqsSkinCheckRadioBox : public TqsSkinCustomControl {
    Q_OBJECT
public:
    enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

    explicit TqsSkinCheckRadioBox(QWidget* parent);

    bool CanFocused() const { return FCanFocused; }
    void SetCanFocused(bool value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool value);
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState value);
    // A click on an unchecked box makes it grayed.
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool value) { FAllowGrayed = value; }
    bool Radio() const { return FRadio; }
    void SetRadio(bool value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    // Checking a member of a group (GroupIndex not 0, or a radio button) unchecks the
    // other members with the same parent and GroupIndex.
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value) { FGroupIndex = value; }

    bool MouseIn() const { return FMouseIn; }

    // What Space and the access key do: a check box flips, a radio button becomes checked.
    void Toggle();

    std::function<void(QObject* Sender)> OnClick;

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
    void setMouseIn(bool value);

    bool FCanFocused = true;
    bool FChecked = false;
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    bool FRadio = false;
    bool FWordWrap = false;
    int FGroupIndex = 0;
    bool FDown = false;
    bool FMouseIn = false;
};
