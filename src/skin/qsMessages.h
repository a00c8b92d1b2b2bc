#pragma once

#include "skin/qsFont.h"
#include "skin/qsImageList.h"
#include "skin/qsMessageBuilders.h"
#include "skin/qsMessageCaptions.h"
#include "skin/qsMessageForm.h"
#include "skin/qsMessageTypes.h"
#include "skin/qsSkinData.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>

// Lets a positioned message move its window before it is shown: AX and AY are the
// window's left and top and may be changed; AWidth and AHeight are its size.
using TqsMessageSetShowPosEvent =
    std::function<void(QObject* Sender, int& AX, int& AY, int AWidth, int AHeight)>;

// The message component: shows a text in a modal message window with a caption, an icon
// and a row of buttons, and returns the code of the button that closed the window (2 when
// the window was closed otherwise). Each call builds a fresh window and destroys it before
// returning.
class TqsSkinMessage : public QObject {
    Q_OBJECT
public:
    explicit TqsSkinMessage(QObject* AOwner = nullptr);

    int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
    int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                   TMsgDlgBtn DefaultButton);
    int MessageDlgPos(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                      int X, int Y);
    int MessageDlgPos(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                      int X, int Y, TMsgDlgBtn DefaultButton);
    int MessageDlgHelp(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                       const QString& HelpFileName);
    int MessageDlg2(const QString& Msg, const QString& ACaption, TMsgDlgType DlgType,
                    TMsgDlgButtons Buttons, int HelpCtx);
    int MessageDlgHelp2(const QString& Msg, const QString& ACaption, TMsgDlgType DlgType,
                        TMsgDlgButtons Buttons, int HelpCtx, const QString& HelpFileName);
    // The wide members never show the show-again check box and leave ShowAgainFlagValue.
    int WideMessageDlg(const std::wstring& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                       int HelpCtx);
    int WideMessageDlgPos(const std::wstring& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                          int HelpCtx, int X, int Y);
    // Custom messages show picture AImageIndex of AImages (none when it is out of range)
    // and the caption ACaption.
    int CustomMessageDlg(const QString& Msg, const QString& ACaption, const TqsImageList* AImages,
                         int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx);
    int CustomMessageDlg(const QString& Msg, const QString& ACaption, const TqsImageList* AImages,
                         int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx,
                         TMsgDlgBtn DefaultButton);
    int CustomMessageDlgPos(const QString& Msg, const QString& ACaption,
                            const TqsImageList* AImages, int AImageIndex, TMsgDlgButtons Buttons,
                            int HelpCtx, int X, int Y);
    int CustomMessageDlgPos(const QString& Msg, const QString& ACaption,
                            const TqsImageList* AImages, int AImageIndex, TMsgDlgButtons Buttons,
                            int HelpCtx, int X, int Y, TMsgDlgBtn DefaultButton);
    int CustomMessageDlgHelp(const QString& Msg, const QString& ACaption,
                             const TqsImageList* AImages, int AImageIndex, TMsgDlgButtons Buttons,
                             int HelpCtx, const QString& HelpFileName);

    bool ShowAgainFlag() const { return FShowAgainFlag; }
    void SetShowAgainFlag(bool value) { FShowAgainFlag = value; }
    bool ShowAgainFlagValue() const { return FShowAgainFlagValue; }
    void SetShowAgainFlagValue(bool value) { FShowAgainFlagValue = value; }
    bool AlphaBlend() const { return FAlphaBlend; }
    void SetAlphaBlend(bool value) { FAlphaBlend = value; }
    bool AlphaBlendAnimation() const { return FAlphaBlendAnimation; }
    void SetAlphaBlendAnimation(bool value) { FAlphaBlendAnimation = value; }
    quint8 AlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(quint8 value) { FAlphaBlendValue = value; }
    TqsSkinData* SkinData() const { return FSkinData; }
    void SetSkinData(TqsSkinData* value) { FSkinData = value; }
    TqsSkinData* CtrlSkinData() const { return FCtrlSkinData; }
    void SetCtrlSkinData(TqsSkinData* value) { FCtrlSkinData = value; }
    QString ButtonSkinDataName() const { return FButtonSkinDataName; }
    void SetButtonSkinDataName(const QString& value) { FButtonSkinDataName = value; }
    QString MessageLabelSkinDataName() const { return FMessageLabelSkinDataName; }
    void SetMessageLabelSkinDataName(const QString& value) { FMessageLabelSkinDataName = value; }
    const FontDescription& DefaultFont() const { return FDefaultFont; }
    void SetDefaultFont(const FontDescription& value) { FDefaultFont = value; }
    const FontDescription& DefaultButtonFont() const { return FDefaultButtonFont; }
    void SetDefaultButtonFont(const FontDescription& value) { FDefaultButtonFont = value; }
    bool UseSkinFont() const { return FUseSkinFont; }
    void SetUseSkinFont(bool value) { FUseSkinFont = value; }

    TqsMessageSetShowPosEvent OnSetShowPos;

private:
    // A request carrying the component's look and show-again settings, built at MX, MY.
    MessageDialogRequest request(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                 int MX, int MY) const;
    MessageDialogRequest customRequest(const QString& Msg, const QString& ACaption,
                                       const TqsImageList* AImages, int AImageIndex,
                                       TMsgDlgButtons Buttons, int MX, int MY) const;
    // Builds the window, shows it modally and destroys it; returns its modal result.
    int run(const MessageDialogRequest& request, int HelpCtx, const QString& HelpFileName,
            bool callsSetShowPos);

    bool FShowAgainFlag = false;
    bool FShowAgainFlagValue = false;
    bool FAlphaBlend = false;
    bool FAlphaBlendAnimation = false;
    quint8 FAlphaBlendValue = 200;
    QPointer<TqsSkinData> FSkinData;
    QPointer<TqsSkinData> FCtrlSkinData;
    QString FButtonSkinDataName = QStringLiteral("button");
    QString FMessageLabelSkinDataName = QStringLiteral("stdlabel");
    FontDescription FDefaultFont;
    FontDescription FDefaultButtonFont;
    bool FUseSkinFont = true;
};

// The message component of the main window: Tahoma bold with a character height of 19
// pixels, in the window-text colour, for the text and the buttons.
std::unique_ptr<TqsSkinMessage> CreateMainWindowMessageDl(QObject* AOwner = nullptr);
