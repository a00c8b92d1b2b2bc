#include "skin/qsMessageForm.h"

#include "skin/qsAccessibility.h"
#include "skin/qsApplicationHelp.h"
#include "skin/qsDrawing.h"
#include "skin/qsMessageTypes.h"
#include "skin/qsSkinCustomControl.h"
#include "skin/qsSkinForm.h"
#include "skin/qsSkinFormGeometry.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>

namespace {

// A position below this on the x axis asks for a centred window.
constexpr int kCentredBelow = -10000;

} // namespace

std::unique_ptr<TqsMessageForm> TqsMessageForm::CreateEx(int X, int Y) {
    return std::unique_ptr<TqsMessageForm>(new TqsMessageForm(X, Y));
}

TqsMessageForm::TqsMessageForm(int X, int Y)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      QSF(new TqsSkinForm(this)), centred_(X < kCentredBelow) {
    InstallSkinAccessibility();
    QSF->setObjectName(QStringLiteral("QSF"));
    QSF->SetBorderIcons({});
    QWidget* client = Client();
    client->setObjectName(QStringLiteral("client"));
    QPalette background = client->palette();
    background.setColor(QPalette::Window, qsdraw::BtnFace(background));
    client->setPalette(background);
    client->setAutoFillBackground(true);
    if (!centred_) {
        MoveOuterTo({X, Y});
    }
}

QWidget* TqsMessageForm::Client() const {
    return QSF->ClientArea();
}

QSize TqsMessageForm::ClientSize() const {
    return Client()->size();
}

void TqsMessageForm::SetClientSize(QSize size) {
    QSF->SetClientSize(size.width(), size.height());
}

QSize TqsMessageForm::ClientToOuter(QSize client) {
    return qsframe::OuterSizeForClient(client);
}

int TqsMessageForm::GetMinWidth() const {
    return QSF->GetMinWidth();
}

int TqsMessageForm::GetMaxWidth() const {
    return QSF->GetMaxWidth();
}

void TqsMessageForm::SetFrame(const FrameSettings& settings) {
    frame_ = settings;
    QSF->SetSkinData(settings.SkinData);
    QSF->SetMenusSkinData(settings.MenusSkinData);
    QSF->SetAlphaBlend(settings.AlphaBlend);
    QSF->AlphaBlendAnimation = settings.AlphaBlendAnimation;
    QSF->SetAlphaBlendValue(settings.AlphaBlendValue);
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
    }
    QDialog::showEvent(event);
    // A reader speaks an alert as soon as it appears, as it does a standard message box.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}
