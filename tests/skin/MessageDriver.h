#pragma once

#include "skin/qsMessageForm.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

// What a modal call returns when the person's actions left its window open: the driver then
// closes the window with this code, so that a key that must do nothing can be told from one
// that closed the window.
inline constexpr int kLeftOpen = 99;

// Runs `call`, which shows a message window modally, and acts on the window as a person would
// once it is up and active. Returns what `call` returns.
inline int Drive(const std::function<int()>& call,
                 const std::function<void(TqsMessageForm&)>& act) {
    bool acted = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = qobject_cast<TqsMessageForm*>(QApplication::activeModalWidget());
        if (acted || form == nullptr || !form->isVisible()) {
            return;
        }
        acted = true;
        if (QTest::qWaitForWindowActive(form) && QTest::qWaitForWindowExposed(form)) {
            act(*form);
        }
        if (form->isVisible()) {
            form->done(kLeftOpen);
        }
    });
    poll.start();
    return call();
}

// The control that keys go to: the focused one, else the window.
inline QWidget* KeyTarget(TqsMessageForm& form) {
    QWidget* focused = QApplication::focusWidget();
    return focused != nullptr && focused->window() == &form ? focused : &form;
}

inline void Key(TqsMessageForm& form, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(KeyTarget(form), key, modifiers);
}

inline void Click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
}
