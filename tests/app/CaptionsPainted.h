#pragma once

#include <QEvent>
#include <QObject>
#include <QStringList>
#include <QToolButton>

// Notes the button's caption each time the button is painted, so that a test sees a waiting
// caption that a command shows only while it works.
class CaptionsPainted : public QObject {
public:
    explicit CaptionsPainted(QToolButton* button) : button_(button) {
        button->installEventFilter(this);
    }
    QStringList captions;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            captions << button_->text();
        }
        return false;
    }

private:
    QToolButton* button_;
};
