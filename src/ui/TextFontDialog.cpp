#include "ui/TextFontDialog.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The toolkit's font choices look a face up by its style name. For a font that names none
// they make one from its weight in the language of the interface ("Жирный"), which the
// face's own list ("Regular", "Bold") does not hold, and the font came back regular. The
// font is therefore given the name its face uses for that weight and slant.
QFont withFaceStyleName(QFont font) {
    if (!font.styleName().isEmpty()) {
        return font;
    }
    const QString family = font.family();
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::weight(family, style) == font.weight() &&
            QFontDatabase::italic(family, style) == font.italic()) {
            font.setStyleName(style);
            break;
        }
    }
    return font;
}

} // namespace

TextFontDialog::TextFontDialog(QWidget* parent)
    : QDialog(parent), fonts_(new QFontDialog(this)), colourButton_(new QToolButton(this)) {
    setWindowTitle(QCoreApplication::translate("QFontDialog", "Select Font"));
    // The font choices sit inside this dialog; its own buttons are this dialog's.
    fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts_->setWindowFlags(Qt::Widget);

    auto* colourLabel = new QLabel(QCoreApplication::translate("QColorDialog", "Color"), this);
    colourLabel->setBuddy(colourButton_);
    colourButton_->setObjectName(QStringLiteral("colourButton"));
    colourButton_->setAccessibleName(colourLabel->text());
    colourButton_->setIconSize({32, 16});
    connect(colourButton_, &QToolButton::clicked, this, &TextFontDialog::chooseColour);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(colourLabel);
    colourRow->addWidget(colourButton_);
    colourRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fonts_);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);

    setCurrentColor(colour_);
    acceptedFont_ = fonts_->currentFont();
}

QFont TextFontDialog::currentFont() const {
    return fonts_->currentFont();
}

void TextFontDialog::setCurrentFont(const QFont& font) {
    fonts_->setCurrentFont(withFaceStyleName(font));
    acceptedFont_ = fonts_->currentFont();
}

void TextFontDialog::setCurrentColor(const QColor& colour) {
    showColour(colour);
    acceptedColour_ = colour;
}

void TextFontDialog::showColour(const QColor& colour) {
    colour_ = colour;
    QPixmap swatch(colourButton_->iconSize());
    swatch.fill(colour);
    colourButton_->setIcon(QIcon(swatch));
}

void TextFontDialog::done(int result) {
    if (result == Accepted) {
        acceptedFont_ = fonts_->currentFont();
        acceptedColour_ = colour_;
    } else {
        // A cancelled dialog offers the last confirmed choice next time.
        fonts_->setCurrentFont(withFaceStyleName(acceptedFont_));
        showColour(acceptedColour_);
    }
    QDialog::done(result);
}

void TextFontDialog::chooseColour() {
    const QColor chosen =
        QColorDialog::getColor(colour_, this, QString(), QColorDialog::DontUseNativeDialog);
    if (chosen.isValid()) {
        showColour(chosen); // confirmed only with this dialog's OK
    }
}
