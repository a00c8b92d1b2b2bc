#include "ui/Form_zastavka.h"

#include "platform/JpegDecoder.h"
#include "ui/Fonts.h"
#include "ui/PictureView.h"
#include "ui/ScreenPlacement.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>

namespace {

QImage splashPicture() {
    QFile file(QStringLiteral(":/splash.jpg"));
    file.open(QIODevice::ReadOnly);
    return platform::decodeJpeg(file.readAll());
}

} // namespace

TForm_zastavka::TForm_zastavka(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), Image1(new PictureView(this)),
      Label1(new QLabel(this)) {
    setObjectName(QStringLiteral("Form_zastavka"));
    setWindowTitle(QStringLiteral("Form_zastavka"));
    // The title is never shown; assistive technology reads the window by this name.
    setAccessibleName(QStringLiteral("Заставка"));
    setFixedSize(kClientSize);

    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(rect());
    Image1->setStretch(true);
    Image1->setPicture(splashPicture());
    Image1->setAccessibleName(QStringLiteral("Картинка заставки"));

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(QStringLiteral("Тальверо v.9.0"));
    Label1->setFont(ui::tahomaBold(16));
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);
    Label1->move(8, 314);
    Label1->adjustSize();

    ui::centreOnScreen(this);
}

void TForm_zastavka::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
