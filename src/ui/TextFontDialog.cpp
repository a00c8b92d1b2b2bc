#include "ui/TextFontDialog.h"

#include "ui/FileDialogColumns.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
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

// A colour as a reader says it: by its name where it has a common one, otherwise by the
// amounts of red, green and blue.
QString spokenColour(const QColor& colour) {
    static const struct {
        QRgb rgb;
        const char* name;
    } named[] = {
        {0x000000, "чёрный"},       {0xffffff, "белый"},        {0xff0000, "красный"},
        {0x00ff00, "зелёный"},      {0x008000, "зелёный"},      {0x0000ff, "синий"},
        {0xffff00, "жёлтый"},       {0x00ffff, "голубой"},      {0xff00ff, "пурпурный"},
        {0x808080, "серый"},        {0xc0c0c0, "светло-серый"}, {0x800000, "тёмно-красный"},
        {0x000080, "тёмно-синий"},  {0x808000, "оливковый"},    {0x800080, "фиолетовый"},
        {0x008080, "сине-зелёный"}, {0xffa500, "оранжевый"},
    };
    const QRgb rgb = colour.rgb() & 0xffffff;
    for (const auto& colourName : named) {
        if (colourName.rgb == rgb) {
            return QString::fromUtf8(colourName.name);
        }
    }
    return QStringLiteral("красный %1, зелёный %2, синий %3")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue());
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
    colourLabel_ = colourLabel->text();
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
    nameFontChoices();
}

void TextFontDialog::nameFontChoices() {
    // The three fields and the lists under them (made in this order) carry their labels'
    // names, which the toolkit leaves empty.
    nameByLabels(fonts_);
    const char* const lists[] = {"&Font", "Font st&yle", "&Size"};
    const QList<QListView*> views = fonts_->findChildren<QListView*>();
    const QList<QLineEdit*> fields = fonts_->findChildren<QLineEdit*>();
    for (qsizetype i = 0; i < qsizetype(std::size(lists)); ++i) {
        const QString name = QCoreApplication::translate("QFontDialog", lists[i]).remove(u'&');
        if (i < views.size()) {
            views[i]->setAccessibleName(name);
        }
        if (i < fields.size() && fields[i]->accessibleName().isEmpty()) {
            fields[i]->setAccessibleName(name);
        }
    }
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
    // The swatch alone says nothing to a reader: the button's name says the colour.
    colourButton_->setAccessibleName(colourLabel_ + QStringLiteral(": ") + spokenColour(colour));
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
