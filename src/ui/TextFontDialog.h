#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QFontDialog;
class QToolButton;

// The text pane's font dialog: the toolkit's own font choices (name, style, size,
// underline, strikeout, writing system) together with a colour, which the toolkit's font
// dialog does not offer. The chosen font and colour stay for the next use.
class TextFontDialog : public QDialog {
    Q_OBJECT
public:
    explicit TextFontDialog(QWidget* parent = nullptr);

    QFont currentFont() const;
    void setCurrentFont(const QFont& font);
    QColor currentColor() const { return colour_; }
    void setCurrentColor(const QColor& colour);

    // The embedded font choices and the colour button, for tests that answer the dialog.
    QFontDialog* fontChoices() const { return fonts_; }
    QToolButton* colourButton() const { return colourButton_; }

    void done(int result) override;

private:
    void chooseColour();
    void nameFontChoices();
    void showColour(const QColor& colour);

    QFontDialog* fonts_;
    QToolButton* colourButton_;
    QString colourLabel_;
    QColor colour_ = Qt::black;
    QFont acceptedFont_;
    QColor acceptedColour_ = Qt::black;
};
