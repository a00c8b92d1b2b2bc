#pragma once

#include <QDialog>

class PictureView;
class QKeyEvent;
class QLabel;

// The splash window: a frameless picture with the program's name and version, shown
// modally once while the main window gets ready; the main window's timer closes it.
class TForm_zastavka : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{510, 341};

    explicit TForm_zastavka(QWidget* parent = nullptr);

    PictureView* Image1;
    QLabel* Label1;

protected:
    // It has no close box and closes by itself: Escape does not close it either.
    void keyPressEvent(QKeyEvent* event) override;
};
