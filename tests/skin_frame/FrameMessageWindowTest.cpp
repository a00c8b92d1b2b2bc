// The frame on the message window itself: the outer size for different texts within the
// frame's size limits, the placement, the translucency settings the message component hands
// over, and every way the window closes with the result the component returns.
#include "FramedDialog.h"
#include "skin/qsMessages.h"
#include "skin/qsSkinFormGeometry.h"
#include "skin/qsSkinStdLabel.h"

#include <QScreen>
#include <gtest/gtest.h>

namespace {

// The program's message font: "Tahoma" bold, 19-pixel characters.
FontDescription ProgramFont() {
    FontDescription font;
    font.Height = -19;
    font.Bold = true;
    return font;
}

MessageDialogRequest Request(const QString& text, TMsgDlgButtons buttons = {mbYes}) {
    MessageDialogRequest r;
    r.Msg = text;
    r.DlgType = mtInformation;
    r.Buttons = buttons;
    r.ADefaultFont = ProgramFont();
    r.ADefaultButtonFont = ProgramFont();
    return r;
}

QRect WorkArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

struct SizeCase {
    const char* name;
    QString text;
    TMsgDlgButtons buttons;
    enum { Natural, RaisedToMinimum, LoweredToWorkArea } width;
};

class MessageWindowSize : public ::testing::TestWithParam<SizeCase> {};

} // namespace

TEST_P(MessageWindowSize, OuterSizeIsTheClientPlusTheFrameWithinTheLimits) {
    const SizeCase& c = GetParam();
    const auto form = BuildMessageDialog(Request(c.text, c.buttons));
    const QSize client = form->ClientSize();
    const QSize label = form->Message->size();

    EXPECT_EQ(form->size(), client + QSize(6, 25));
    EXPECT_EQ(form->Client()->geometry(), QRect(QPoint(3, 22), client));
    EXPECT_EQ(client.height(), label.height() + 75);
    switch (c.width) {
    case SizeCase::Natural:
        EXPECT_EQ(form->width(), std::max(110, label.width() + 90) + 6);
        EXPECT_GT(form->width(), 120);
        EXPECT_LT(form->width(), WorkArea().width());
        break;
    case SizeCase::RaisedToMinimum:
        EXPECT_EQ(form->width(), 120);
        break;
    case SizeCase::LoweredToWorkArea:
        EXPECT_EQ(form->width(), WorkArea().width());
        EXPECT_GT(label.width() + 90 + 6, WorkArea().width());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frame, MessageWindowSize,
    ::testing::Values(
        SizeCase{"Short", QStringLiteral("Saved."), {mbYes}, SizeCase::Natural},
        SizeCase{"Empty", QString(), {}, SizeCase::RaisedToMinimum},
        SizeCase{"TinyWithoutButtons", QStringLiteral("."), {}, SizeCase::RaisedToMinimum},
        SizeCase{"Long", QString(300, QLatin1Char('W')), {mbYes}, SizeCase::LoweredToWorkArea},
        SizeCase{"MultiLine",
                 QStringLiteral("One line.\nA second, longer line.\nThree."),
                 {mbYes, mbNo},
                 SizeCase::Natural}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageWindowFrame, EachLineOfTextMakesTheWindowTaller) {
    const auto one = BuildMessageDialog(Request(QStringLiteral("One")));
    const auto three = BuildMessageDialog(Request(QStringLiteral("One\nTwo\nThree")));
    EXPECT_EQ(three->height() - one->height(), 2 * one->Message->height());
}

TEST(MessageWindowFrame, HasOnlyTheCloseBoxAndNoPlatformFrame) {
    const auto form = BuildMessageDialog(Request(QStringLiteral("Saved.")));
    EXPECT_EQ(form->QSF->BorderIcons(), TqsBorderIcons{});
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form->QSF->GetMinWidth(), 120);
    EXPECT_EQ(form->QSF->GetMaxWidth(), WorkArea().width());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_EQ(form->QSF->ObjectList().size(), 6u);
    EXPECT_EQ(form->QSF->ObjectList()[0].Rect, QRect(form->width() - 20, 4, 17, 17));
    EXPECT_EQ(form->frameGeometry(), form->geometry());
}

TEST(MessageWindowFrame, PlacedCentredInTheWorkAreaOrWhereAsked) {
    const QRect work = WorkArea();
    struct Case {
        int x, y;
        QString text;
    };
    for (const Case& c : {Case{-10001, -10001, QStringLiteral("Saved.")},
                          Case{-10001, -10001, QString(300, QLatin1Char('W'))},
                          Case{40, 60, QStringLiteral("Saved.")}}) {
        MessageDialogRequest r = Request(c.text);
        r.MX = c.x;
        r.MY = c.y;
        const auto form = BuildMessageDialog(r);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        const QPoint expected = c.x < -10000
                                    ? QPoint(work.left() + (work.width() - form->width()) / 2,
                                             work.top() + (work.height() - form->height()) / 2)
                                    : QPoint(c.x, c.y);
        EXPECT_EQ(form->pos(), expected) << c.x << " " << c.text.size();
    }
}

TEST(MessageWindowFrame, TranslucencySettingsReachTheFrame) {
    MessageDialogRequest r = Request(QStringLiteral("Saved."));
    const auto plain = BuildMessageDialog(r);
    EXPECT_FALSE(plain->QSF->AlphaBlend());
    EXPECT_FALSE(plain->QSF->AlphaBlendAnimation);
    EXPECT_EQ(plain->QSF->AlphaBlendValue(), 200);

    r.AAlphaBlend = true;
    r.AAlphaBlendAnimation = true;
    r.AAlphaBlendValue = 150;
    const auto faded = BuildMessageDialog(r);
    EXPECT_TRUE(faded->QSF->AlphaBlend());
    EXPECT_TRUE(faded->QSF->AlphaBlendAnimation);
    EXPECT_EQ(faded->QSF->AlphaBlendValue(), 150);
    faded->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return faded->QSF->AppliedOpacity() == 150; }));
    EXPECT_TRUE(faded->QSF->IsLayered());
}

namespace {

// A result no button gives: the window was still open after the action.
constexpr int kStillOpen = 77;

struct CloseCase {
    const char* name;
    std::function<void(TqsMessageForm&, PointerOver&)> act;
    int result;
};

class MessageWindowClosing : public ::testing::TestWithParam<CloseCase> {};

QWidget* KeyboardTarget(TqsMessageForm& form) {
    return form.focusWidget() != nullptr ? form.focusWidget() : &form;
}

} // namespace

// The program's own call: an information message with a single Yes button, shown modally by
// the message component; the action runs on the shown window.
TEST_P(MessageWindowClosing, ResultOfTheProgramsMessage) {
    const CloseCase& c = GetParam();
    const auto component = CreateMainWindowMessageDl(nullptr);
    bool acted = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = qobject_cast<TqsMessageForm*>(QApplication::activeModalWidget());
        if (form == nullptr) {
            return;
        }
        poll.stop();
        acted = QTest::qWaitForWindowActive(form);
        PointerOver pointer(*form);
        c.act(*form, pointer);
        QTest::qWait(20);
        if (form->isVisible()) {
            form->done(kStillOpen);
        }
    });
    poll.start();
    const int result = component->MessageDlg(QStringLiteral("Saved."), mtInformation, {mbYes}, 0);
    EXPECT_TRUE(acted);
    EXPECT_EQ(result, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Frame, MessageWindowClosing,
    ::testing::Values(CloseCase{"CloseBoxClick",
                                [](TqsMessageForm& form, PointerOver& pointer) {
                                    pointer.Click(CloseBoxCentre(form.width()));
                                },
                                2},
                      CloseCase{"CloseBoxReleasedOutside",
                                [](TqsMessageForm& form, PointerOver& pointer) {
                                    pointer.Press(CloseBoxCentre(form.width()));
                                    pointer.Release(QPoint(form.width() / 2, 40));
                                },
                                kStillOpen},
                      CloseCase{"CloseFromTheCaptionMenu",
                                [](TqsMessageForm&, PointerOver& pointer) {
                                    const MenuWatch watch(ChooseLastItem);
                                    pointer.Press(CaptionPoint(), Qt::RightButton);
                                },
                                2},
                      CloseCase{"AltF4",
                                [](TqsMessageForm& form, PointerOver&) {
                                    QTest::keyClick(KeyboardTarget(form), Qt::Key_F4,
                                                    Qt::AltModifier);
                                },
                                2},
                      CloseCase{"EscapeDoesNothing",
                                [](TqsMessageForm& form, PointerOver&) {
                                    QTest::keyClick(KeyboardTarget(form), Qt::Key_Escape);
                                },
                                kStillOpen},
                      CloseCase{"AltSpaceAndCaptionDoubleClickDoNothing",
                                [](TqsMessageForm& form, PointerOver&) {
                                    QTest::keyClick(KeyboardTarget(form), Qt::Key_Space,
                                                    Qt::AltModifier);
                                    QTest::mouseDClick(&form, Qt::LeftButton, {}, CaptionPoint());
                                },
                                kStillOpen},
                      CloseCase{"YesButton",
                                [](TqsMessageForm& form, PointerOver&) {
                                    QTest::keyClick(KeyboardTarget(form), Qt::Key_Return);
                                },
                                6}),
    [](const auto& info) { return std::string(info.param.name); });
