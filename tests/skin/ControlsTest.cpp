// The default looks of the message window's controls, read back from their pixels.
#include "MessageDriver.h"
#include "QtPrinters.h"
#include "skin/qsDrawing.h"
#include "skin/qsFontCellHeight.h"
#include "skin/qsMessageBuilders.h"
#include "skin/qsSkinButton.h"
#include "skin/qsSkinCheckRadioBox.h"
#include "skin/qsSkinStdLabel.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// A palette whose system colours cannot be mistaken for one another.
QPalette Distinct() {
    QPalette p;
    p.setColor(QPalette::Button, QColor(240, 240, 240));
    p.setColor(QPalette::Window, QColor(240, 240, 240));
    p.setColor(QPalette::Dark, QColor(200, 0, 0));
    p.setColor(QPalette::Light, QColor(0, 200, 0));
    p.setColor(QPalette::WindowText, QColor(0, 0, 200));
    p.setColor(QPalette::Base, QColor(255, 255, 255));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 0));
    return p;
}

int Count(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == colour;
        }
    }
    return n;
}

// Pixels that differ from the background.
int Ink(const QImage& image, QRgb background) {
    return image.width() * image.height() - Count(image, background);
}

struct LabelOnPanel {
    QWidget panel;
    TqsSkinStdLabel* label;
    explicit LabelOnPanel(const QString& text, const FontDescription& font = FontDescription()) {
        panel.setPalette(Distinct());
        panel.setAutoFillBackground(true);
        panel.resize(300, 100);
        label = new TqsSkinStdLabel(&panel);
        label->SetDefaultFont(font);
        label->SetAutoSize(true);
        label->SetCaption(text);
        label->move(10, 10);
    }
    QImage Grab() { return label->grab().toImage(); }
};

TEST(StdLabel, DisabledTextIsEmbossed) {
    LabelOnPanel enabled(QStringLiteral("Embossed"));
    const QImage on = enabled.Grab();
    EXPECT_GT(Count(on, qRgb(0, 0, 200)), 0);
    EXPECT_EQ(Count(on, qRgb(0, 200, 0)), 0);

    LabelOnPanel disabled(QStringLiteral("Embossed"));
    disabled.label->setEnabled(false);
    const QImage off = disabled.Grab();
    EXPECT_EQ(Count(off, qRgb(0, 0, 200)), 0);
    EXPECT_GT(Count(off, qRgb(200, 0, 0)), 0) << "shadow copy in place";
    EXPECT_GT(Count(off, qRgb(0, 200, 0)), 0) << "highlight copy one pixel right and down";
    // The highlight copy shows right of and below the shadow copy, never left of or above it.
    int shadowLeft = off.width();
    int highlightLeft = off.width();
    for (int y = 0; y < off.height(); ++y) {
        for (int x = 0; x < off.width(); ++x) {
            if (off.pixel(x, y) == qRgb(200, 0, 0)) {
                shadowLeft = std::min(shadowLeft, x);
            } else if (off.pixel(x, y) == qRgb(0, 200, 0)) {
                highlightLeft = std::min(highlightLeft, x);
            }
        }
    }
    EXPECT_GT(highlightLeft, shadowLeft);
}

TEST(StdLabel, AccentsAboveCapitalsAreNotCut) {
    // Every pixel the glyphs draw on an unbounded canvas must show in the label too.
    const QString text = QStringLiteral("\u0419\u0401\u00c5");
    FontDescription font;
    font.Height = -19;
    font.Bold = true;
    LabelOnPanel shown(text, font);
    const QImage label = shown.Grab();

    QImage free(300, 100, QImage::Format_RGB32);
    free.fill(qRgb(240, 240, 240));
    QPainter painter(&free);
    painter.setFont(font.toQFont());
    painter.setPen(QColor(0, 0, 200));
    painter.drawText(QPoint(20, 50), text);
    painter.end();

    EXPECT_EQ(shown.label->height(), CellOf(font.toQFont()).Height());
    EXPECT_EQ(Ink(label, qRgb(240, 240, 240)), Ink(free, qRgb(240, 240, 240)));
}

TEST(StdLabel, AccessKeyIsUnderlinedAndADoubledAmpersandShowsOne) {
    const auto ink = [](const QString& text, bool showAccelChar = true) {
        LabelOnPanel shown(text);
        shown.label->SetShowAccelChar(showAccelChar);
        return Ink(shown.Grab(), qRgb(240, 240, 240));
    };
    EXPECT_GT(ink(QStringLiteral("&Save")), ink(QStringLiteral("Save")));
    EXPECT_EQ(ink(QStringLiteral("Tom && Jerry")), ink(QStringLiteral("Tom & Jerry"), false));
}

TEST(StdLabel, TabsStopEveryEightAverageCharacterWidths) {
    // Tahoma bold of 19-pixel characters states an average width of 13 pixels: stops at 104,
    // 208, ... (8 advances of "x" would put them at 92, 184, ...).
    FontDescription font;
    font.Height = -19;
    font.Bold = true;
    ASSERT_EQ(AverageCharWidth(font.toQFont()), 13);
    const QFontMetrics metrics(font.toQFont());
    struct Case {
        QString before; // the text before the tab
        int stop;
    };
    const Case cases[] = {{QString(), 104}, {QStringLiteral("&ab"), 104}, {QString(7, u'W'), 208}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.toStdString());
        LabelOnPanel shown(c.before + QStringLiteral("\tI"), font);
        EXPECT_EQ(shown.label->width(),
                  c.stop + qCeil(QFontMetricsF(font.toQFont()).horizontalAdvance(u'I')));
        // The "I" after the tab is drawn at the stop: its first pixels lie just right of it.
        const QImage label = shown.Grab();
        int firstInkAfterText = label.width();
        const int textEnd = metrics.horizontalAdvance(qsdraw::ShowCaption(c.before).Text);
        for (int x = textEnd + 1; x < label.width() && firstInkAfterText == label.width(); ++x) {
            for (int y = 0; y < label.height(); ++y) {
                if (label.pixel(x, y) != qRgb(240, 240, 240)) {
                    firstInkAfterText = x;
                    break;
                }
            }
        }
        EXPECT_GE(firstInkAfterText, c.stop);
        EXPECT_LE(firstInkAfterText, c.stop + 3);
    }
}

// The message window [Yes, No] with the show-again box, shown without a modal loop.
struct ShownMessage {
    std::unique_ptr<TqsMessageForm> form;
    ShownMessage() {
        const FontDescription font;
        form =
            CreateMessageDialog(QStringLiteral("Look"), mtInformation, {mbYes, mbNo}, nullptr,
                                nullptr, QStringLiteral("button"), QStringLiteral("stdlabel"), font,
                                font, true, false, false, 200, true, false, -10001, -10001);
        form->Client()->setPalette(Distinct());
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    TqsSkinButton* Button(const char* name) {
        return form->findChild<TqsSkinButton*>(QString::fromLatin1(name));
    }
};

// Frame and fill of a button, read at its corner and just inside it.
std::pair<QRgb, QRgb> Look(QWidget* control) {
    const QImage image = control->grab().toImage();
    return {image.pixel(0, 0), image.pixel(2, 2)};
}

const std::pair<QRgb, QRgb> kNormal{qRgb(200, 0, 0), qRgb(240, 240, 240)};
const std::pair<QRgb, QRgb> kHighlighted{qRgb(59, 107, 183), qRgb(193, 212, 243)};
const std::pair<QRgb, QRgb> kPressed{qRgb(59, 107, 183), qRgb(162, 188, 228)};

TEST(SkinButton, LooksFollowFocusPointerAndPress) {
    ShownMessage m;
    TqsSkinButton* yes = m.Button("Yes");
    TqsSkinButton* no = m.Button("No");
    EXPECT_TRUE(yes->hasFocus());
    EXPECT_EQ(Look(yes), kHighlighted);
    EXPECT_EQ(Look(no), kNormal);

    const QPoint inside = no->rect().center();
    const QPoint outside(no->width() + 30, inside.y());
    QTest::mousePress(no, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(no->hasFocus()) << "a press takes the focus first";
    EXPECT_EQ(Look(no), kPressed);
    EXPECT_EQ(Look(yes), kNormal);
    QTest::mouseMove(no, outside);
    EXPECT_EQ(Look(no), kHighlighted) << "off the button it is drawn up, still focused";
    QTest::mouseMove(no, inside);
    EXPECT_EQ(Look(no), kPressed);
    QTest::mouseMove(no, outside);
    QTest::mouseRelease(no, Qt::LeftButton, {}, outside);
    EXPECT_TRUE(m.form->isVisible());
    EXPECT_EQ(m.form->result(), 0);

    // Space: pressed while held, clicked on release.
    QTest::keyPress(no, Qt::Key_Space);
    EXPECT_EQ(Look(no), kPressed);
    QTest::keyRelease(no, Qt::Key_Space);
    EXPECT_EQ(m.form->result(), mrNo);
}

TEST(SkinButton, DefaultButtonIsHighlightedWhileAControlThatIsNoButtonHasTheFocus) {
    ShownMessage m;
    TqsSkinButton* yes = m.Button("Yes");
    TqsSkinButton* no = m.Button("No");
    QTest::keyClick(yes, Qt::Key_Tab);
    ASSERT_TRUE(no->hasFocus());
    EXPECT_TRUE(no->Active());
    EXPECT_FALSE(yes->Active());
    EXPECT_FALSE(yes->MouseIn());
    EXPECT_EQ(Look(yes), kNormal);

    TqsSkinCheckRadioBox* box = m.form->DisplayCheckBox;
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 10, box->height() / 2));
    ASSERT_TRUE(box->hasFocus());
    EXPECT_TRUE(yes->Active());
    EXPECT_TRUE(yes->MouseIn());
    EXPECT_FALSE(no->Active());
    EXPECT_EQ(Look(yes), kHighlighted);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(m.form->result(), mrYes);
}

TEST(SkinButton, DialogKeysPressOnlyEnabledButtonsAndFollowANewDefault) {
    ShownMessage m;
    TqsSkinButton* yes = m.Button("Yes");
    TqsSkinButton* no = m.Button("No");
    TqsSkinCheckRadioBox* box = m.form->DisplayCheckBox;
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 10, box->height() / 2));
    ASSERT_TRUE(box->hasFocus());

    no->setEnabled(false);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(m.form->result(), 0) << "a disabled cancel button cannot take the focus";
    yes->setEnabled(false);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(m.form->result(), 0) << "a disabled default button is not pressed";
    yes->setEnabled(true);
    no->setEnabled(true);

    // Moving the default to No: the window announces its focus again.
    yes->SetDefault(false);
    no->SetDefault(true);
    EXPECT_FALSE(yes->Active());
    EXPECT_FALSE(yes->MouseIn());
    EXPECT_EQ(Look(yes), kNormal);
    EXPECT_TRUE(no->Active());
    EXPECT_EQ(Look(no), kHighlighted);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(m.form->result(), mrNo);
}

TEST(SkinButton, ALongCaptionWrapsWithinTheButton) {
    QWidget panel;
    auto* button = new TqsSkinButton(&panel);
    button->SetCaption(QStringLiteral("Save all changes"));
    button->setGeometry(0, 0, 70, 60);
    const int line = CellOf(button->DefaultFont().toQFont()).Height();
    const QImage image = button->grab().toImage();
    int top = image.height();
    int bottom = -1;
    const QRgb fill = image.pixel(2, 2);
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = 2; x < image.width() - 2; ++x) {
            if (image.pixel(x, y) != fill) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_GT(bottom - top + 1, line) << "more than one line of text";
    EXPECT_LT(bottom - top + 1, 3 * line);
}

// The check box: 14-pixel box at (3, H div 2 - 7), the tick's corner column at x = 9.
struct BoxCase {
    const char* name;
    bool checked;
    bool grayed;
    bool enabled;
    QRgb tick;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.name;
}

class CheckBoxLook : public ::testing::TestWithParam<BoxCase> {};

TEST_P(CheckBoxLook, DrawsBoxAndTick) {
    const BoxCase& c = GetParam();
    QWidget panel;
    auto* box = new TqsSkinCheckRadioBox(&panel);
    box->setPalette(Distinct());
    box->SetCaption(QStringLiteral("Do not display"));
    box->setGeometry(0, 0, 150, 30);
    box->SetChecked(c.checked);
    if (c.grayed) {
        box->SetState(TqsSkinCheckRadioBox::cbGrayed);
    }
    box->setEnabled(c.enabled);
    const QImage image = box->grab().toImage();
    const int y = 30 / 2 - 4;
    EXPECT_EQ(image.pixel(3, 8), qRgb(200, 0, 0)) << "frame";
    EXPECT_EQ(image.pixel(16, 21), qRgb(200, 0, 0)) << "frame";
    EXPECT_EQ(image.pixel(4, 9), qRgb(255, 255, 255)) << "inside in the window colour";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(image.pixel(9, y + 7 - i), c.tick) << "corner of tick line " << i;
        EXPECT_EQ(image.pixel(7, y + 5 - i), c.tick) << "start of tick line " << i;
        EXPECT_EQ(image.pixel(13, y + 3 - i), c.tick) << "rising arm of tick line " << i;
    }
    EXPECT_EQ(image.pixel(0, 0), qRgb(240, 240, 240)) << "no focus frame";
}

const BoxCase kBoxCases[] = {
    {"Unchecked", false, false, true, qRgb(255, 255, 255)},
    {"Checked", true, false, true, qRgb(0, 0, 0)},
    {"CheckedDisabled", true, false, false, qRgb(200, 0, 0)},
    {"Grayed", false, true, true, qRgb(120, 120, 0)},
};

INSTANTIATE_TEST_SUITE_P(Cases, CheckBoxLook, ::testing::ValuesIn(kBoxCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CheckBox, AccessKeyTogglesAndAllowGrayedGoesThroughGrayed) {
    ShownMessage m;
    TqsSkinCheckRadioBox* box = m.form->DisplayCheckBox;
    box->SetCaption(QStringLiteral("&Do not display"));
    ASSERT_TRUE(box->Checked());
    QTest::keyClick(m.Button("Yes"), Qt::Key_D, Qt::AltModifier);
    EXPECT_FALSE(box->Checked());
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(m.form->result(), 0);

    box->SetAllowGrayed(true);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_EQ(box->State(), TqsSkinCheckRadioBox::cbGrayed);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_EQ(box->State(), TqsSkinCheckRadioBox::cbChecked);
    // Pressed on the box and released outside it: no change.
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(40, 15));
    QTest::mouseMove(box, QPoint(40, 60));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(40, 60));
    EXPECT_EQ(box->State(), TqsSkinCheckRadioBox::cbChecked);
}

} // namespace
