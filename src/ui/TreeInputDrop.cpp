#include "ui/TreeInputDrop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <exception>

namespace {

// Eats the input events whose receiver is the tree or a part of it (its viewport).
class InputEater : public QObject {
public:
    explicit InputEater(QWidget* tree) : tree_(tree) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ContextMenu:
        case QEvent::Wheel:
            break;
        default:
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        return widget != nullptr && tree_ && (widget == tree_ || tree_->isAncestorOf(widget));
    }

private:
    QPointer<QWidget> tree_;
};

} // namespace

TreeInputDrop::~TreeInputDrop() {
    if (std::uncaught_exceptions() > 0) {
        return;
    }
    InputEater eater(tree_);
    QCoreApplication::instance()->installEventFilter(&eater);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&eater);
}
