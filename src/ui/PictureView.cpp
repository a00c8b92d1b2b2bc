#include "ui/PictureView.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

// Assistive technology reads a picture display as a picture, by its accessible name.
QAccessibleInterface* pictureAccessibility(const QString& className, QObject* object) {
    if (className == QLatin1String("PictureView") && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    }
    return nullptr;
}

} // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(pictureAccessibility);
        return true;
    }();
    (void)installed;
}

void PictureView::setPicture(const QImage& picture) {
    picture_ = picture;
    shown_ = QImage();
    update();
}

void PictureView::setStretch(bool on) {
    stretch_ = on;
    update();
}

void PictureView::setProportional(bool on) {
    proportional_ = on;
    update();
}

void PictureView::setCenter(bool on) {
    center_ = on;
    update();
}

QRect PictureView::pictureRect() const {
    if (picture_.isNull()) {
        return {};
    }
    const QSize pane = size();
    QSize shown = picture_.size();
    const bool larger = shown.width() > pane.width() || shown.height() > pane.height();
    if (stretch_ && !proportional_) {
        shown = pane;
    } else if (proportional_ && (stretch_ || larger)) {
        shown = shown.scaled(pane, Qt::KeepAspectRatio);
    }
    QPoint topLeft(0, 0);
    if (center_) {
        topLeft = QPoint((pane.width() - shown.width()) / 2, (pane.height() - shown.height()) / 2);
    }
    return QRect(topLeft, shown);
}

void PictureView::paintEvent(QPaintEvent*) {
    const QRect target = pictureRect();
    if (target.isEmpty()) {
        return;
    }
    if (shown_.size() != target.size()) {
        const QImage scaled =
            target.size() == picture_.size()
                ? picture_
                : picture_.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // In the screen's own format, so that drawing it converts nothing.
        shown_ =
            scaled.convertToFormat(picture_.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
    }
    QPainter painter(this);
    painter.drawImage(target.topLeft(), shown_);
}
