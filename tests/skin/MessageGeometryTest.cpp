// The layout of message windows against the formulas, measured with the fonts' own metrics.
#include "QtPrinters.h"
#include "skin/qsFontCellHeight.h"
#include "skin/qsMessageBuilders.h"
#include "skin/qsMessages.h"
#include "skin/qsSkinButton.h"
#include "skin/qsSkinCheckRadioBox.h"
#include "skin/qsSkinStdLabel.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QtMath>
#include <gtest/gtest.h>

namespace {

FontDescription MainWindowFont() {
    return CreateMainWindowMessageDl()->DefaultFont();
}

// Builds the window as MessageDlg does, without showing it.
std::unique_ptr<TqsMessageForm> Build(const QString& text, TMsgDlgButtons buttons,
                                      const FontDescription& font, bool showAgain = false,
                                      TMsgDlgType type = mtInformation) {
    return CreateMessageDialog(text, type, buttons, nullptr, nullptr, QStringLiteral("button"),
                               QStringLiteral("stdlabel"), font, font, true, false, false, 200,
                               showAgain, false, -10001, -10001);
}

// The label's extent measured line by line: the widest line's advance, one cell per line.
QSize TextExtent(const QString& shown, const FontDescription& described) {
    const QFont font = described.toQFont();
    const QFontMetricsF metrics(font);
    int widest = 0;
    const QStringList lines =
        QString(shown).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
    for (const QString& line : lines) {
        const QString measured = line.isEmpty() ? QStringLiteral(" ") : line;
        widest = std::max(widest, qCeil(metrics.horizontalAdvance(measured)));
    }
    return {widest, static_cast<int>(lines.size()) * CellOf(font).Height()};
}

TEST(FontConvention, NegativeIsCharacterHeightPositiveIsCell) {
    FontDescription cell13;
    EXPECT_EQ(cell13.Name, QStringLiteral("Tahoma"));
    EXPECT_EQ(cell13.Height, 13);
    // Tahoma's window ascent and descent are 2049 and 423 units of a 2048-unit em: a cell of
    // 13 pixels holds 11-pixel characters, and 19-pixel characters need a cell of 23.
    EXPECT_EQ(cell13.toQFont().pixelSize(), 11);
    EXPECT_EQ(CellOf(cell13.toQFont()).Height(), 13);
    const FontDescription main = MainWindowFont();
    EXPECT_EQ(main.toQFont().pixelSize(), 19);
    EXPECT_TRUE(main.toQFont().bold());
    EXPECT_EQ(CellOf(main.toQFont()).Ascent, 19);
    EXPECT_EQ(CellOf(main.toQFont()).Descent, 4);
    EXPECT_EQ(QFontInfo(main.toQFont()).family(), QStringLiteral("Tahoma"));
}

struct LayoutCase {
    const char* name;
    QString text;
    QString shown; // the text as drawn
    TMsgDlgButtons buttons;
    bool mainWindowFont;
    bool showAgain;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class MessageLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MessageLayout, FollowsTheFormulas) {
    const LayoutCase& c = GetParam();
    const FontDescription font = c.mainWindowFont ? MainWindowFont() : FontDescription();
    const auto form = Build(c.text, c.buttons, font, c.showAgain);

    const QSize label = TextExtent(c.shown, font);
    EXPECT_EQ(form->Message->geometry(), QRect(QPoint(50, 15), label));
    EXPECT_EQ(form->Message->objectName(), QStringLiteral("Message"));

    auto* image = form->findChild<QLabel*>(QStringLiteral("Image"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect(5, std::max(10, 15 + label.height() / 2 - 16), 32, 32));

    const int count = c.buttons.count();
    const int group = count == 0 ? 0 : count * 70 + (count - 1) * 10;
    const int labelRight = 50 + label.width();
    int clientWidth = group < labelRight ? labelRight + 40 : group + 40;
    int clientHeight = 25 + label.height() + 50;
    int boxWidth = 0;
    if (c.showAgain) {
        clientHeight += 40;
        boxWidth = QFontMetrics(font.toQFont())
                       .horizontalAdvance(QStringLiteral("Do not display this message again")) +
                   30;
        clientWidth = std::max(clientWidth, boxWidth + 30);
    }
    const int workWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
    clientWidth = std::clamp(clientWidth + 6, 120, workWidth) - 6;
    EXPECT_EQ(form->ClientSize(), QSize(clientWidth, clientHeight));
    EXPECT_EQ(form->OuterSize(), QSize(clientWidth + 6, clientHeight + 25));

    if (c.showAgain) {
        ASSERT_NE(form->DisplayCheckBox, nullptr);
        EXPECT_EQ(form->DisplayCheckBox->geometry(),
                  QRect(5, clientHeight - 75, boxWidth + 25, 30));
        EXPECT_EQ(form->DisplayCheckBox->geometry().top(), label.height() + 40);
        EXPECT_EQ(form->DisplayCheckBox->objectName(), QStringLiteral("checkbox"));
        EXPECT_TRUE(form->DisplayCheckBox->Checked());
    } else {
        EXPECT_EQ(form->DisplayCheckBox, nullptr);
    }

    // One centred row, 10 pixels above the bottom, in ordinal order.
    const auto buttons = form->Client()->findChildren<TqsSkinButton*>();
    ASSERT_EQ(buttons.size(), count);
    int left = (clientWidth - group) / 2;
    int index = 0;
    for (int b = mbYes; b <= mbClose; ++b) {
        if (!c.buttons.contains(static_cast<TMsgDlgBtn>(b))) {
            continue;
        }
        TqsSkinButton* button = buttons[index++];
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_EQ(button->geometry(), QRect(left, clientHeight - 35, 70, 25));
        EXPECT_EQ(button->geometry().top(), label.height() + (c.showAgain ? 80 : 40));
        EXPECT_EQ(button->DefaultFont(), font);
        left += 80;
    }
}

const QString kLong =
    QStringLiteral("A line far wider than any work area of the test screen. ").repeated(8);

const LayoutCase kLayoutCases[] = {
    {"Standard", "The base is connected.", "The base is connected.", {mbYes}, true, false},
    {"EmptyTextIsOneLine", "", " ", {mbYes}, true, false},
    {"LineBreaks",
     "first\nsecond line\r\nthird",
     "first\nsecond line\r\nthird",
     {mbOK},
     true,
     false},
    {"DoubledAmpersandShowsOne", "Tom && Jerry", "Tom & Jerry", {mbYes}, true, false},
    {"AccessMarkIsNotShown", "&Save", "Save", {mbYes}, true, false},
    {"ComponentFont", "Saved.", "Saved.", {mbOK, mbCancel}, false, false},
    {"RaisedToTheMinimumWidth", ".", ".", {mbYes}, false, false},
    {"ButtonRowWiderThanText", "Hi", "Hi", {mbYes, mbNo, mbOK, mbCancel, mbAbort}, true, false},
    {"NoButtons", "Nothing to press", "Nothing to press", {}, true, false},
    {"TextClampedToTheWorkArea", kLong, kLong, {mbYes}, true, false},
    {"AllTwelveButtonsClamped", "All", "All", TMsgDlgButtons::fromMask(0x0FFF), false, false},
    {"ShowAgainBox", "Delete?", "Delete?", {mbYes, mbNo}, true, true},
    {"ShowAgainBoxWiderThanText", "?", "?", {mbYes}, false, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, MessageLayout, ::testing::ValuesIn(kLayoutCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct DefaultCancelCase {
    const char* name;
    TMsgDlgButtons buttons;
    QString defaultButton; // empty: none
    QString cancelButton;
};

void PrintTo(const DefaultCancelCase& c, std::ostream* os) {
    *os << c.name;
}

class DefaultAndCancel : public ::testing::TestWithParam<DefaultCancelCase> {};

TEST_P(DefaultAndCancel, FollowTheRule) {
    const DefaultCancelCase& c = GetParam();
    const auto form = Build(QStringLiteral("?"), c.buttons, FontDescription());
    QString defaults;
    QString cancels;
    for (TqsSkinButton* button : form->findChildren<TqsSkinButton*>()) {
        EXPECT_TRUE(button->CanFocused());
        EXPECT_EQ(button->focusPolicy(), Qt::StrongFocus);
        if (button->Default()) {
            defaults += button->objectName();
        }
        if (button->Cancel()) {
            cancels += button->objectName();
        }
    }
    EXPECT_EQ(defaults, c.defaultButton);
    EXPECT_EQ(cancels, c.cancelButton);
}

const DefaultCancelCase kDefaultCancelCases[] = {
    {"Yes", {mbYes}, "Yes", ""},
    {"YesNo", {mbYes, mbNo}, "Yes", "No"},
    {"OkCancel", {mbOK, mbCancel}, "OK", "Cancel"},
    {"OkAlone", {mbOK}, "OK", "OK"},
    {"OkBeforeYesCancelBeforeNo", {mbYes, mbNo, mbOK, mbCancel}, "OK", "Cancel"},
    {"AbortRetryIgnore", {mbAbort, mbRetry, mbIgnore}, "Retry", ""},
    {"IgnoreAlone", {mbIgnore}, "", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, DefaultAndCancel, ::testing::ValuesIn(kDefaultCancelCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBuilders, EachDiffersFromTheBasicOneOnlyWhereItShould) {
    const FontDescription font;
    const QString skin = QStringLiteral("button");
    const QString label = QStringLiteral("stdlabel");

    auto basic = Build(QStringLiteral("Text"), {mbYes, mbNo}, font, true, mtWarning);
    EXPECT_EQ(basic->windowTitle(), QStringLiteral("Warning"));
    EXPECT_EQ(basic->focusWidget(), nullptr) << "the first button takes the focus when shown";

    auto titled = CreateMessageDialog2(
        QStringLiteral("Text"), QStringLiteral("My caption"), mtWarning, {mbYes, mbNo}, nullptr,
        nullptr, skin, label, font, font, true, false, false, 200, true, false, -10001, -10001);
    EXPECT_EQ(titled->windowTitle(), QStringLiteral("My caption"));
    EXPECT_NE(titled->findChild<QLabel*>(QStringLiteral("Image")), nullptr);
    EXPECT_NE(titled->DisplayCheckBox, nullptr);

    auto withDefault = CreateMessageDialogDefaultButton(
        QStringLiteral("Text"), mtWarning, {mbYes, mbNo}, nullptr, nullptr, skin, label, font, font,
        true, false, false, 200, false, false, -10001, -10001, mbNo);
    auto* no = withDefault->findChild<TqsSkinButton*>(QStringLiteral("No"));
    EXPECT_TRUE(no->Default());
    EXPECT_TRUE(no->Cancel()) << "the cancel button still follows the rule";
    EXPECT_FALSE(withDefault->findChild<TqsSkinButton*>(QStringLiteral("Yes"))->Default());
    EXPECT_EQ(withDefault->focusWidget(), no);

    auto wide =
        CreateWideMessageDialog(L"Wide \u00e9t\u00e9", mtError, {mbOK}, nullptr, nullptr, skin,
                                label, font, font, true, false, false, 200, -10001, -10001);
    EXPECT_EQ(wide->Message->Caption(), QStringLiteral("Wide \u00e9t\u00e9"));
    EXPECT_EQ(wide->windowTitle(), QStringLiteral("Error"));
    EXPECT_EQ(wide->DisplayCheckBox, nullptr);

    auto confirm = Build(QStringLiteral("Text"), {mbYes}, font, false, mtConfirmation);
    EXPECT_EQ(confirm->windowTitle(), QStringLiteral("Confirm"));
    auto custom = Build(QStringLiteral("Text"), {mbYes}, font, false, mtCustom);
    EXPECT_EQ(custom->windowTitle(), QGuiApplication::applicationDisplayName());
    // The image control is there but holds no icon.
    auto* customImage = custom->findChild<QLabel*>(QStringLiteral("Image"));
    ASSERT_NE(customImage, nullptr);
    EXPECT_TRUE(customImage->pixmap().isNull());
    EXPECT_FALSE(basic->findChild<QLabel*>(QStringLiteral("Image"))->pixmap().isNull());
    EXPECT_EQ(custom->Message->pos(), QPoint(50, 15));
}

TEST(MessageBuilders, CustomIconIsAPictureOfTheListWithoutTheLowerLimit) {
    TqsImageList images;
    images.PictureSize = QSize(48, 40);
    images.Pictures = {QPixmap(48, 40), QPixmap(48, 40)};
    const FontDescription font; // one line 13 high: centred top 15 + 6 - 16 = 5
    const auto build = [&](const TqsImageList* list, int index) {
        return CreateCustomMessageDialog(QStringLiteral("Custom"), QStringLiteral("Caption"), list,
                                         index, {mbOK}, nullptr, nullptr, QStringLiteral("button"),
                                         QStringLiteral("stdlabel"), font, font, true, false, false,
                                         200, false, false, -10001, -10001);
    };
    const auto shown = build(&images, 1);
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("Caption"));
    auto* image = shown->findChild<QLabel*>(QStringLiteral("Image"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect(5, 5, 48, 40));
    for (int outside : {-1, 2}) {
        EXPECT_EQ(build(&images, outside)->findChild<QLabel*>(QStringLiteral("Image")), nullptr)
            << outside;
    }
    EXPECT_EQ(build(nullptr, 0)->findChild<QLabel*>(QStringLiteral("Image")), nullptr);

    const auto withDefault = CreateCustomMessageDialogDefaultButton(
        QStringLiteral("Custom"), QStringLiteral("Caption"), &images, 0, {mbOK, mbCancel}, nullptr,
        nullptr, QStringLiteral("button"), QStringLiteral("stdlabel"), font, font, true, false,
        false, 200, false, false, -10001, -10001, mbCancel);
    auto* cancel = withDefault->findChild<TqsSkinButton*>(QStringLiteral("Cancel"));
    EXPECT_TRUE(cancel->Default());
    EXPECT_EQ(withDefault->focusWidget(), cancel);
}

TEST(MessageBuilders, ATextWiderThanTheWorkAreaIsCutAtTheRight) {
    const auto form = Build(kLong, {mbYes}, MainWindowFont());
    const int workWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
    EXPECT_EQ(form->OuterSize().width(), workWidth);
    EXPECT_GT(form->Message->geometry().right(), form->ClientSize().width());
}

} // namespace
