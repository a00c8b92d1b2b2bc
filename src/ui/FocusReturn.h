#pragma once

#include <QPointer>
#include <QWidget>

// Gives the focus back when a modal window (a message, a file or font dialog) has closed: to
// the control that had it before, or, when that one is gone, hidden or disabled, to
// `fallback`; its window is made the active one again, so that the keyboard works on at once
// and the reader hears where it is, whatever the window system does on the close.
class FocusReturn {
public:
    explicit FocusReturn(QWidget* fallback);
    ~FocusReturn();

    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

private:
    QPointer<QWidget> before_;
    QPointer<QWidget> fallback_;
};
