#include "ui/FocusReturn.h"

#include <QApplication>

namespace {

bool canTakeFocus(const QWidget* widget) {
    return widget != nullptr && widget->isVisible() && widget->isEnabled();
}

} // namespace

FocusReturn::FocusReturn(QWidget* fallback)
    : before_(QApplication::focusWidget()), fallback_(fallback) {}

FocusReturn::~FocusReturn() {
    QWidget* target = canTakeFocus(before_) ? before_.data() : fallback_.data();
    if (!canTakeFocus(target) || QApplication::activeModalWidget() != nullptr) {
        return; // nothing to go back to, or another modal window is up now
    }
    target->window()->activateWindow();
    if (QApplication::focusWidget() != target) {
        target->setFocus(Qt::OtherFocusReason);
    }
}
