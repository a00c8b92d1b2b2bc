// Message windows driven by keyboard and mouse as a person would, with the codes they return.
#include "MessageDriver.h"
#include "QtPrinters.h"
#include "skin/qsApplicationHelp.h"
#include "skin/qsMessages.h"
#include "skin/qsSkinButton.h"
#include "skin/qsSkinCheckRadioBox.h"
#include "skin/qsSkinStdLabel.h"

#include <QScreen>
#include <gtest/gtest.h>

namespace {

using Act = std::function<void(TqsMessageForm&)>;

TqsSkinButton* ButtonOf(TqsMessageForm& form, const char* name) {
    auto* button = form.findChild<TqsSkinButton*>(QString::fromLatin1(name));
    EXPECT_NE(button, nullptr) << name;
    return button;
}

Act Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    return [=](TqsMessageForm& form) { Key(form, key, modifiers); };
}

Act ClickOn(const char* name) {
    return [=](TqsMessageForm& form) { Click(ButtonOf(form, name)); };
}

// Press the left button on a button, move off it, optionally come back, and let go there.
Act PressMoveOff(const char* name, bool comeBack) {
    return [=](TqsMessageForm& form) {
        TqsSkinButton* button = ButtonOf(form, name);
        const QPoint inside = button->rect().center();
        const QPoint outside(button->width() + 15, button->height() / 2);
        QTest::mousePress(button, Qt::LeftButton, {}, inside);
        EXPECT_TRUE(button->Down());
        QTest::mouseMove(button, outside);
        EXPECT_FALSE(button->Down()) << "drawn unpressed while the pointer is off it";
        QPoint end = outside;
        if (comeBack) {
            QTest::mouseMove(button, inside);
            EXPECT_TRUE(button->Down()) << "drawn pressed again when the pointer comes back";
            end = inside;
        }
        QTest::mouseRelease(button, Qt::LeftButton, {}, end);
        EXPECT_FALSE(button->Down());
    };
}

Act Then(Act first, Act second) {
    return [=](TqsMessageForm& form) {
        first(form);
        second(form);
    };
}

struct InputCase {
    const char* name;
    TMsgDlgButtons buttons;
    Act act;
    int result;
};

void PrintTo(const InputCase& c, std::ostream* os) {
    *os << c.name;
}

class MessageInput : public ::testing::TestWithParam<InputCase> {};

TEST_P(MessageInput, ReturnsTheCodeOfWhatThePersonDid) {
    const InputCase& c = GetParam();
    const auto messageDl = CreateMainWindowMessageDl();
    const int result = Drive(
        [&] {
            return messageDl->MessageDlg(QStringLiteral("Saved."), mtInformation, c.buttons, 0);
        },
        c.act);
    EXPECT_EQ(result, c.result);
}

const InputCase kInputCases[] = {
    // The program's own message: one Yes button, default and focused, no cancel button.
    {"Enter", {mbYes}, Press(Qt::Key_Return), mrYes},
    {"KeypadEnter", {mbYes}, Press(Qt::Key_Enter), mrYes},
    {"Space", {mbYes}, Press(Qt::Key_Space), mrYes},
    {"AccessKey", {mbYes}, Press(Qt::Key_Y), mrYes},
    {"AltAccessKey", {mbYes}, Press(Qt::Key_Y, Qt::AltModifier), mrYes},
    {"CtrlLetterIsNoAccessKey", {mbYes}, Press(Qt::Key_Y, Qt::ControlModifier), kLeftOpen},
    {"OtherLetter", {mbYes}, Press(Qt::Key_N), kLeftOpen},
    {"EscapeDoesNothing", {mbYes}, Press(Qt::Key_Escape), kLeftOpen},
    {"EscapeThenEnter", {mbYes}, Then(Press(Qt::Key_Escape), Press(Qt::Key_Return)), mrYes},
    {"Click", {mbYes}, ClickOn("Yes"), mrYes},
    {"PressMoveOffRelease", {mbYes}, PressMoveOff("Yes", false), kLeftOpen},
    {"PressMoveOffBackRelease", {mbYes}, PressMoveOff("Yes", true), mrYes},
    {"ClosedFromTheFrame", {mbYes}, [](TqsMessageForm& form) { form.close(); }, mrCancel},
    // Yes and No: Yes is default, No the cancel button.
    {"YesNoEnter", {mbYes, mbNo}, Press(Qt::Key_Return), mrYes},
    {"YesNoEscape", {mbYes, mbNo}, Press(Qt::Key_Escape), mrNo},
    {"YesNoShiftEscape", {mbYes, mbNo}, Press(Qt::Key_Escape, Qt::ShiftModifier), kLeftOpen},
    {"YesNoAccessKeyN", {mbYes, mbNo}, Press(Qt::Key_N), mrNo},
    {"YesNoTabEnter", {mbYes, mbNo}, Then(Press(Qt::Key_Tab), Press(Qt::Key_Return)), mrNo},
    {"YesNoClickNo", {mbYes, mbNo}, ClickOn("No"), mrNo},
    // OK and Cancel: OK has the focus at first.
    {"OkCancelEnter", {mbOK, mbCancel}, Press(Qt::Key_Return), mrOk},
    {"OkCancelEscape", {mbOK, mbCancel}, Press(Qt::Key_Escape), mrCancel},
    {"OkAloneEscape", {mbOK}, Press(Qt::Key_Escape), mrOk},
    // Abort, Retry, Ignore: Retry is default, there is no cancel button; the first button
    // has the focus and Enter presses the focused button.
    {"AbortRetryIgnoreEscape", {mbAbort, mbRetry, mbIgnore}, Press(Qt::Key_Escape), kLeftOpen},
    {"AbortRetryIgnoreEnter", {mbAbort, mbRetry, mbIgnore}, Press(Qt::Key_Return), mrAbort},
    {"AbortRetryIgnoreKeyI", {mbAbort, mbRetry, mbIgnore}, Press(Qt::Key_I), mrIgnore},
    {"AbortRetryIgnoreTabSpace",
     {mbAbort, mbRetry, mbIgnore},
     Then(Press(Qt::Key_Tab), Press(Qt::Key_Space)),
     mrRetry},
    // The access key of "N&oToAll" is O; All, YesToAll and Close keep their codes.
    {"NoToAllAccessKey", {mbYes, mbNoToAll}, Press(Qt::Key_O), mrNoToAll},
    {"YesToAllClick", {mbYes, mbYesToAll}, ClickOn("YesToAll"), mrYesToAll},
    {"AllClick", {mbAll}, ClickOn("All"), mrAll},
    {"CloseClick", {mbClose}, ClickOn("Close"), mrClose},
    // No buttons: only the frame closes the window.
    {"NoButtonsEnter", TMsgDlgButtons{}, Press(Qt::Key_Return), kLeftOpen},
    {"NoButtonsClosed", TMsgDlgButtons{}, [](TqsMessageForm& form) { form.close(); }, mrCancel},
};

INSTANTIATE_TEST_SUITE_P(Cases, MessageInput, ::testing::ValuesIn(kInputCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MessageInput, DefaultButtonMemberGivesTheFocusToTheDefaultButton) {
    TqsSkinMessage messageDl;
    const int result = Drive(
        [&] {
            return messageDl.MessageDlg(QStringLiteral("Replace?"), mtConfirmation,
                                        {mbYes, mbNo, mbCancel}, 0, mbNo);
        },
        [](TqsMessageForm& form) {
            EXPECT_EQ(QApplication::focusWidget(), ButtonOf(form, "No"));
            EXPECT_TRUE(ButtonOf(form, "No")->Default());
            EXPECT_FALSE(ButtonOf(form, "Yes")->Default());
            EXPECT_TRUE(ButtonOf(form, "Cancel")->Cancel());
            Key(form, Qt::Key_Return);
        });
    EXPECT_EQ(result, mrNo);
}

TEST(MessageInput, HelpButtonShowsHelpAndLeavesTheWindowOpen) {
    QString helpFile;
    int helpContext = -1;
    SetApplicationHelpHandler([&](const QString& file, int context) {
        helpFile = file;
        helpContext = context;
    });
    TqsSkinMessage messageDl;
    const int result = Drive(
        [&] {
            return messageDl.MessageDlgHelp(QStringLiteral("Failed."), mtError, {mbOK, mbHelp}, 42,
                                            QStringLiteral("guide.chm"));
        },
        [](TqsMessageForm& form) {
            Click(ButtonOf(form, "Help"));
            EXPECT_TRUE(form.isVisible());
            Key(form, Qt::Key_H, Qt::AltModifier);
            EXPECT_TRUE(form.isVisible());
        });
    SetApplicationHelpHandler({});
    EXPECT_EQ(result, kLeftOpen);
    EXPECT_EQ(helpFile, QStringLiteral("guide.chm"));
    EXPECT_EQ(helpContext, 42);
}

// The show-again check box starts checked when ShowAgainFlagValue is false, and the
// component carries its negated state back however the window closes.
struct ShowAgainCase {
    const char* name;
    bool valueBefore;
    Act act;
    int result;
    bool valueAfter;
};

void PrintTo(const ShowAgainCase& c, std::ostream* os) {
    *os << c.name;
}

class ShowAgain : public ::testing::TestWithParam<ShowAgainCase> {};

TEST_P(ShowAgain, CarriesTheCheckBoxBack) {
    const ShowAgainCase& c = GetParam();
    const auto messageDl = CreateMainWindowMessageDl();
    messageDl->SetShowAgainFlag(true);
    messageDl->SetShowAgainFlagValue(c.valueBefore);
    const int result = Drive(
        [&] {
            return messageDl->MessageDlg(QStringLiteral("Deleted."), mtWarning, {mbYes, mbNo}, 0);
        },
        [&](TqsMessageForm& form) {
            ASSERT_NE(form.DisplayCheckBox, nullptr);
            EXPECT_EQ(form.DisplayCheckBox->Checked(), !c.valueBefore);
            c.act(form);
        });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(messageDl->ShowAgainFlagValue(), c.valueAfter);
    EXPECT_TRUE(messageDl->ShowAgainFlag());
}

Act ClickBox() {
    return [](TqsMessageForm& form) {
        TqsSkinCheckRadioBox* box = form.DisplayCheckBox;
        // On its text, well right of the box.
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 20, box->height() / 2));
        EXPECT_TRUE(box->hasFocus());
    };
}

const ShowAgainCase kShowAgainCases[] = {
    {"LeftCheckedKeepsFalse", false, Press(Qt::Key_Return), mrYes, false},
    {"UncheckedSetsTrue", false, Then(ClickBox(), ClickOn("No")), mrNo, true},
    // With the focus on the check box, Enter presses the default button and Space toggles.
    {"EnterOnTheBoxPressesDefault", false, Then(ClickBox(), Press(Qt::Key_Return)), mrYes, true},
    {"SpaceOnTheBoxToggles", false,
     Then(Then(ClickBox(), Press(Qt::Key_Space)), Press(Qt::Key_Return)), mrYes, false},
    {"CheckingClearsTrue", true, Then(ClickBox(), Press(Qt::Key_Escape)), mrNo, false},
    {"ClosedFromTheFrame", false, Then(ClickBox(), [](TqsMessageForm& f) { f.close(); }), mrCancel,
     true},
    // Tab runs between the buttons and never lands on the check box.
    {"TabSkipsTheBox", false,
     [](TqsMessageForm& form) {
         for (int i = 0; i < 3; ++i) {
             Key(form, Qt::Key_Tab);
             EXPECT_NE(QApplication::focusWidget(), form.DisplayCheckBox);
         }
         Key(form, Qt::Key_Space);
     },
     mrNo, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, ShowAgain, ::testing::ValuesIn(kShowAgainCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShowAgain, WideMembersNeverShowTheBoxNorChangeTheValue) {
    TqsSkinMessage messageDl;
    messageDl.SetShowAgainFlag(true);
    messageDl.SetShowAgainFlagValue(true);
    const int result =
        Drive([&] { return messageDl.WideMessageDlg(L"Wide text", mtInformation, {mbOK}, 0); },
              [](TqsMessageForm& form) {
                  EXPECT_EQ(form.DisplayCheckBox, nullptr);
                  EXPECT_EQ(form.findChild<TqsSkinCheckRadioBox*>(), nullptr);
                  EXPECT_EQ(form.Message->Caption(), QStringLiteral("Wide text"));
                  Key(form, Qt::Key_Return);
              });
    EXPECT_EQ(result, mrOk);
    EXPECT_TRUE(messageDl.ShowAgainFlagValue());
}

TEST(MessagePosition, PositionedMembersLetTheHandlerMoveTheWindow) {
    TqsSkinMessage messageDl;
    int seenX = 0;
    int seenY = 0;
    QSize seenSize;
    messageDl.OnSetShowPos = [&](QObject* sender, int& x, int& y, int w, int h) {
        EXPECT_EQ(sender, &messageDl);
        seenX = x;
        seenY = y;
        seenSize = QSize(w, h);
        x += 7;
        y += 9;
    };
    QPoint shownAt;
    QSize shownSize;
    Drive(
        [&] {
            return messageDl.MessageDlgPos(QStringLiteral("Here"), mtInformation, {mbOK}, 0, 40,
                                           30);
        },
        [&](TqsMessageForm& form) {
            shownAt = form.OuterPos();
            shownSize = form.OuterSize();
        });
    EXPECT_EQ(QPoint(seenX, seenY), QPoint(40, 30));
    EXPECT_EQ(seenSize, shownSize);
    EXPECT_EQ(shownAt, QPoint(47, 39));
}

TEST(MessagePosition, CentringReplacesTheHandlersPositionAndWideMembersDoNotCallIt) {
    TqsSkinMessage messageDl;
    int calls = 0;
    messageDl.OnSetShowPos = [&](QObject*, int& x, int& y, int, int) {
        ++calls;
        x = 3;
        y = 4;
    };
    QPoint shownAt;
    QSize shownSize;
    const auto look = [&](TqsMessageForm& form) {
        shownAt = form.OuterPos();
        shownSize = form.OuterSize();
    };
    Drive(
        [&] {
            return messageDl.MessageDlgPos(QStringLiteral("Centred"), mtInformation, {mbOK}, 0,
                                           -10001, -10001);
        },
        look);
    EXPECT_EQ(calls, 1);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(shownAt, QPoint(work.left() + (work.width() - shownSize.width()) / 2,
                              work.top() + (work.height() - shownSize.height()) / 2));

    Drive([&] { return messageDl.WideMessageDlgPos(L"Placed", mtInformation, {mbOK}, 0, 20, 25); },
          look);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(shownAt, QPoint(20, 25));
    // Unpositioned members never call it.
    Drive([&] { return messageDl.MessageDlg(QStringLiteral("Plain"), mtInformation, {mbOK}, 0); },
          look);
    EXPECT_EQ(calls, 1);
}

} // namespace
