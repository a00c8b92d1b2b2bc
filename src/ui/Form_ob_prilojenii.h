#pragma once

#include <QDialog>

class QPlainTextEdit;

// The about window: what the program is for and its version history, as read-only text
// that can be selected and copied. Shown without blocking the main window.
class TForm_ob_prilojenii : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{660, 730};

    explicit TForm_ob_prilojenii(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;
};
