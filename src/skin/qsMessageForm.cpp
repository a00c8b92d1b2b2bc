#include "skin/qsMessageForm.h"

#include "skin/qsApplicationHelp.h"
#include "skin/qsDrawing.h"
#include "skin/qsMessageTypes.h"
#include "skin/qsSkinCustomControl.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>

namespace {

// The default frame around the client area: a 3-pixel border on every side and a 19-pixel
// caption strip at the top.
constexpr int kBorderWidth = 3;
constexpr int kCaptionHeight = 19;
constexpr int kMinOuterWidth = 120;
// A position below this on the x axis asks for a centred window.
constexpr int kCentredBelow = -10000;

} // namespace

std::unique_ptr<TqsMessageForm> TqsMessageForm::CreateEx(int X, int Y) {
    return std::unique_ptr<TqsMessageForm>(new TqsMessageForm(X, Y));
}

TqsMessageForm::TqsMessageForm(int X, int Y)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      client_(new QWidget(this)), centred_(X < kCentredBelow) {
    client_->setObjectName(QStringLiteral("client"));
    QPalette background = client_->palette();
    background.setColor(QPalette::Window, qsdraw::BtnFace(background));
    client_->setPalette(background);
    client_->setAutoFillBackground(true);
    if (!centred_) {
        MoveOuterTo({X, Y});
    }
}

QSize TqsMessageForm::ClientSize() const {
    return client_->size();
}

void TqsMessageForm::SetClientSize(QSize size) {
    client_->setGeometry(QRect(QPoint(0, 0), size));
    setFixedSize(size);
}

QSize TqsMessageForm::ClientToOuter(QSize client) {
    return client + QSize(2 * kBorderWidth, kCaptionHeight + 2 * kBorderWidth);
}

int TqsMessageForm::GetMinWidth() const {
    return kMinOuterWidth;
}

int TqsMessageForm::GetMaxWidth() const {
    return placementWorkArea().width();
}

QRect TqsMessageForm::placementWorkArea() const {
    QScreen* screen = centred_ ? nullptr : QGuiApplication::screenAt(OuterPos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen->availableGeometry();
}

QPoint TqsMessageForm::OuterPos() const {
    return pos();
}

void TqsMessageForm::MoveOuterTo(QPoint topLeft) {
    move(topLeft);
}

void TqsMessageForm::SetModalResult(int value) {
    if (value != 0) {
        done(value);
    }
}

int TqsMessageForm::ShowModal() {
    return exec();
}

void TqsMessageForm::HelpButtonClick(QObject*) {
    ShowApplicationHelp(helpFile_, helpContext_);
}

void TqsMessageForm::reject() {
    done(mrCancel);
}

void TqsMessageForm::keyPressEvent(QKeyEvent* event) {
    if (OfferDialogKey(this, *event)) {
        event->accept();
        return;
    }
    // Enter and Escape that no control wants do nothing; the dialog's own handling would
    // close the window.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TqsMessageForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (centred_) {
            const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
            const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
            const QSize outer = OuterSize();
            const int left = work.left() + (work.width() - outer.width()) / 2;
            const int top = work.top() + (work.height() - outer.height()) / 2;
            MoveOuterTo({std::max(left, desktop.left()), std::max(top, desktop.top())});
        }
        setWindowOpacity(frame_.AlphaBlend ? frame_.AlphaBlendValue / 255.0 : 1.0);
    }
    QDialog::showEvent(event);
}
