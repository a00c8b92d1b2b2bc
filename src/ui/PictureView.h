#pragma once

#include <QImage>
#include <QWidget>

// A picture display. Where the picture goes follows three switches:
// - stretch without proportional: the picture fills the whole widget, proportions lost;
// - proportional: it is scaled to fit inside the widget keeping its proportions, when
//   stretch is on or when it is larger than the widget (so it is never scaled up then);
// - neither: it keeps its own size.
// With center on, the result is centred; otherwise it sits at the top left corner.
// The background is not painted: what lies under the widget shows through.
class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

    void setStretch(bool on);
    bool stretch() const { return stretch_; }
    void setProportional(bool on);
    bool proportional() const { return proportional_; }
    void setCenter(bool on);
    bool center() const { return center_; }

    // Where the picture is drawn, in the widget's coordinates (empty without a picture).
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    // The picture as last drawn, scaled to the size it was drawn at, so that painting the
    // same picture again at the same size (as a repaint does) costs a copy, not a rescale.
    QImage shown_;
    bool stretch_ = false;
    bool proportional_ = false;
    bool center_ = false;
};
