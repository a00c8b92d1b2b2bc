#include "ModalWatch.h"

#include "skin/qsMessageForm.h"
#include "skin/qsSkinStdLabel.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

ModalWatch::ModalWatch() {
    poll_.setInterval(10);
    connect(&poll_, &QTimer::timeout, this, &ModalWatch::look);
    poll_.start();
}

QStringList ModalWatch::texts() const {
    QStringList result;
    for (const Seen& window : seen) {
        result << window.text;
    }
    return result;
}

void ModalWatch::look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == last_ || !modal->isVisible()) {
        return;
    }
    last_ = modal;
    if (onShown) {
        onShown(modal);
    }
    if (auto* message = qobject_cast<TqsMessageForm*>(modal)) {
        seen.append(
            {QStringLiteral("message"), message->windowTitle(), message->Message->Caption()});
        message->reject();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.append({QStringLiteral("box"), box->windowTitle(), box->text()});
        box->button(QMessageBox::Ok)->click();
    } else {
        seen.append({QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle(),
                     QString()});
    }
}
