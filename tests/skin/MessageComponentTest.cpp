// The message component's properties, the captions and what a call hands to its window.
#include "MessageDriver.h"
#include "QtPrinters.h"
#include "skin/qsMessageBuilders.h"
#include "skin/qsMessages.h"
#include "skin/qsSkinButton.h"
#include "skin/qsSkinCheckRadioBox.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

TEST(MessageComponent, DefaultsAndTheMainWindowsInstance) {
    TqsSkinMessage plain;
    EXPECT_FALSE(plain.ShowAgainFlag());
    EXPECT_FALSE(plain.ShowAgainFlagValue());
    EXPECT_FALSE(plain.AlphaBlend());
    EXPECT_FALSE(plain.AlphaBlendAnimation());
    EXPECT_EQ(plain.AlphaBlendValue(), 200);
    EXPECT_EQ(plain.SkinData(), nullptr);
    EXPECT_EQ(plain.CtrlSkinData(), nullptr);
    EXPECT_EQ(plain.ButtonSkinDataName(), QStringLiteral("button"));
    EXPECT_EQ(plain.MessageLabelSkinDataName(), QStringLiteral("stdlabel"));
    EXPECT_TRUE(plain.UseSkinFont());
    EXPECT_FALSE(plain.OnSetShowPos);
    FontDescription tahoma13;
    EXPECT_EQ(plain.DefaultFont(), tahoma13);
    EXPECT_EQ(plain.DefaultButtonFont(), tahoma13);
    EXPECT_EQ(tahoma13.Name, QStringLiteral("Tahoma"));
    EXPECT_EQ(tahoma13.Height, 13);
    EXPECT_FALSE(tahoma13.Bold);

    const auto messageDl = CreateMainWindowMessageDl();
    FontDescription main;
    main.Height = -19;
    main.Bold = true;
    EXPECT_EQ(messageDl->DefaultFont(), main);
    EXPECT_EQ(messageDl->DefaultButtonFont(), main);
    EXPECT_FALSE(messageDl->DefaultFont().Color.isValid()) << "the window-text colour";
    EXPECT_FALSE(messageDl->ShowAgainFlag());
    EXPECT_EQ(messageDl->AlphaBlendValue(), 200);
}

TEST(MessageComponent, SkinDataReferencesClearWhenTheSkinDataGoes) {
    TqsSkinMessage component;
    auto* skin = new TqsSkinData;
    auto* ctrlSkin = new TqsSkinData;
    component.SetSkinData(skin);
    component.SetCtrlSkinData(ctrlSkin);
    EXPECT_EQ(component.SkinData(), skin);
    delete skin;
    delete ctrlSkin;
    EXPECT_EQ(component.SkinData(), nullptr);
    EXPECT_EQ(component.CtrlSkinData(), nullptr);
}

TEST(MessageCaptions, FromTheTablesOrFromTheSkinsResourceStrings) {
    const char* const captions[] = {"&Yes",    "&No",  "OK",       "Cancel",    "&Abort", "&Retry",
                                    "&Ignore", "&All", "N&oToAll", "&YesToAll", "&Help",  "Close"};
    const char* const names[] = {"Yes",    "No",  "OK",      "Cancel",   "Abort", "Retry",
                                 "Ignore", "All", "NoToAll", "YesToAll", "Help",  "Close"};
    const int results[] = {6, 7, 1, 2, 3, 4, 5, 12, 13, 14, 0, 8};
    const char* const keys[] = {"MSG_BTN_YES",      "MSG_BTN_NO",    "MSG_BTN_OK",
                                "MSG_BTN_CANCEL",   "MSG_BTN_ABORT", "MSG_BTN_RETRY",
                                "MSG_BTN_IGNORE",   "MSG_BTN_ALL",   "MSG_BTN_NOTOALL",
                                "MSG_BTN_YESTOALL", "MSG_BTN_HELP"};
    TqsSkinData skin;
    EXPECT_EQ(GetButtonCaption(mbYes, &skin), QStringLiteral("&Yes")) << "no table yet";
    TqsSkinData::ResourceStrings table;
    for (int b = 0; b < 11; ++b) {
        table.insert(QString::fromLatin1(keys[b]), QStringLiteral("skin %1").arg(b));
    }
    table.insert(QStringLiteral("MSG_CAP_WARNING"), QStringLiteral("Achtung"));
    table.insert(QStringLiteral("MSG_CAP_INFORMATION"), QStringLiteral("Hinweis"));
    for (int b = mbYes; b <= mbClose; ++b) {
        const auto B = static_cast<TMsgDlgBtn>(b);
        SCOPED_TRACE(names[b]);
        EXPECT_EQ(GetButtonCaption(B, nullptr), QString::fromLatin1(captions[b]));
        EXPECT_EQ(ButtonComponentName(B), QString::fromLatin1(names[b]));
        EXPECT_EQ(ButtonModalResult(B), results[b]);
    }
    skin.SetResourceStrData(table);
    for (int b = mbYes; b < mbClose; ++b) {
        EXPECT_EQ(GetButtonCaption(static_cast<TMsgDlgBtn>(b), &skin),
                  QStringLiteral("skin %1").arg(b));
    }
    EXPECT_EQ(GetButtonCaption(mbClose, &skin), QStringLiteral("Close"));

    const char* const types[] = {"Warning", "Error", "Information", "Confirm"};
    for (int t = mtWarning; t <= mtConfirmation; ++t) {
        EXPECT_EQ(GetMsgCaption(static_cast<TMsgDlgType>(t), nullptr),
                  QString::fromLatin1(types[t]));
    }
    EXPECT_EQ(GetMsgCaption(mtCustom, nullptr), QGuiApplication::applicationDisplayName());
    EXPECT_EQ(GetMsgCaption(mtWarning, &skin), QStringLiteral("Achtung"));
    EXPECT_EQ(GetMsgCaption(mtError, &skin), QString()) << "a key the table lacks";
    EXPECT_EQ(GetMsgCaption(mtCustom, &skin), QGuiApplication::applicationDisplayName());

    EXPECT_EQ(ShowAgainFlagCaption(nullptr), QStringLiteral("Do not display this message again"));
    EXPECT_EQ(ShowAgainFlagCaption(&skin), QStringLiteral("Do not display this message again"))
        << "an empty or missing skin string falls back";
    table.insert(QStringLiteral("MSG_CAP_SHOWFLAG"), QStringLiteral("Nicht mehr zeigen"));
    skin.SetResourceStrData(table);
    EXPECT_EQ(ShowAgainFlagCaption(&skin), QStringLiteral("Nicht mehr zeigen"));
}

TEST(MessageComponent, HandsItsSettingsToTheWindow) {
    TqsSkinData ctrlSkin;
    ctrlSkin.SetResourceStrData(TqsSkinData::ResourceStrings{
        {QStringLiteral("MSG_BTN_YES"), QStringLiteral("&Ja")},
        {QStringLiteral("MSG_CAP_SHOWFLAG"), QStringLiteral("Nicht mehr zeigen")},
        {QStringLiteral("MSG_CAP_INFORMATION"), QStringLiteral("Hinweis")}});
    TqsSkinMessage component;
    component.SetCtrlSkinData(&ctrlSkin);
    component.SetAlphaBlend(true);
    component.SetAlphaBlendValue(150);
    component.SetShowAgainFlag(true);
    FontDescription buttonFont;
    buttonFont.Height = -15;
    component.SetDefaultButtonFont(buttonFont);
    const int result = Drive(
        [&] { return component.MessageDlg(QStringLiteral("Text"), mtInformation, {mbYes}, 7); },
        [&](TqsMessageForm& form) {
            EXPECT_EQ(form.windowTitle(), QStringLiteral("Hinweis"));
            EXPECT_EQ(form.HelpContext(), 7);
            EXPECT_TRUE(form.Frame().AlphaBlend);
            EXPECT_EQ(form.Frame().AlphaBlendValue, 150);
            EXPECT_EQ(form.Frame().MenusSkinData, &ctrlSkin);
            EXPECT_EQ(form.DisplayCheckBox->Caption(), QStringLiteral("Nicht mehr zeigen"));
            EXPECT_EQ(form.DisplayCheckBox->DefaultFont(), component.DefaultFont());
            auto* yes = form.findChild<TqsSkinButton*>(QStringLiteral("Yes"));
            EXPECT_EQ(yes->Caption(), QStringLiteral("&Ja"));
            EXPECT_EQ(yes->DefaultFont(), buttonFont);
            Key(form, Qt::Key_J, Qt::AltModifier);
        });
    EXPECT_EQ(result, mrYes);
}

} // namespace
