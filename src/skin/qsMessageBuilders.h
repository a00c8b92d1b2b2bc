#pragma once

#include "skin/qsFont.h"
#include "skin/qsImageList.h"
#include "skin/qsMessageForm.h"
#include "skin/qsMessageTypes.h"
#include "skin/qsSkinData.h"

#include <QString>
#include <memory>
#include <optional>
#include <string>

// Everything a message window is built from. The builders below fill it; the message
// component fills it directly.
struct MessageDialogRequest {
    QString Msg;
    TMsgDlgType DlgType = mtInformation;
    TMsgDlgButtons Buttons;
    // A caption that replaces the type's caption.
    std::optional<QString> Caption;
    // A custom message shows picture ImageIndex of Images instead of the type's icon.
    bool Custom = false;
    const TqsImageList* Images = nullptr;
    int ImageIndex = -1;
    // The default button, which then also has the focus when the window is shown.
    std::optional<TMsgDlgBtn> DefaultButton;

    TqsSkinData* ASkinData = nullptr;
    TqsSkinData* ACtrlSkinData = nullptr;
    QString AButtonSkinDataName = QStringLiteral("button");
    QString AMessageLabelSkinDataName = QStringLiteral("stdlabel");
    FontDescription ADefaultFont;
    FontDescription ADefaultButtonFont;
    bool AUseSkinFont = true;
    bool AAlphaBlend = false;
    bool AAlphaBlendAnimation = false;
    quint8 AAlphaBlendValue = 200;
    bool AShowAgainFlag = false;
    bool AShowAgainFlagValue = false;
    int MX = -10001;
    int MY = -10001;
};

// Builds a new, not yet shown message window.
std::unique_ptr<TqsMessageForm> BuildMessageDialog(const MessageDialogRequest& request);

std::unique_ptr<TqsMessageForm>
CreateMessageDialog(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                    TqsSkinData* ASkinData, TqsSkinData* ACtrlSkinData,
                    const QString& AButtonSkinDataName, const QString& AMessageLabelSkinDataName,
                    const FontDescription& ADefaultFont, const FontDescription& ADefaultButtonFont,
                    bool AUseSkinFont, bool AAlphaBlend, bool AAlphaBlendAnimation,
                    quint8 AAlphaBlendValue, bool AShowAgainFlag, bool AShowAgainFlagValue, int MX,
                    int MY);

std::unique_ptr<TqsMessageForm>
CreateMessageDialog2(const QString& Msg, const QString& ACaption, TMsgDlgType DlgType,
                     TMsgDlgButtons Buttons, TqsSkinData* ASkinData, TqsSkinData* ACtrlSkinData,
                     const QString& AButtonSkinDataName, const QString& AMessageLabelSkinDataName,
                     const FontDescription& ADefaultFont, const FontDescription& ADefaultButtonFont,
                     bool AUseSkinFont, bool AAlphaBlend, bool AAlphaBlendAnimation,
                     quint8 AAlphaBlendValue, bool AShowAgainFlag, bool AShowAgainFlagValue, int MX,
                     int MY);

std::unique_ptr<TqsMessageForm> CreateMessageDialogDefaultButton(
    const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, TqsSkinData* ASkinData,
    TqsSkinData* ACtrlSkinData, const QString& AButtonSkinDataName,
    const QString& AMessageLabelSkinDataName, const FontDescription& ADefaultFont,
    const FontDescription& ADefaultButtonFont, bool AUseSkinFont, bool AAlphaBlend,
    bool AAlphaBlendAnimation, quint8 AAlphaBlendValue, bool AShowAgainFlag,
    bool AShowAgainFlagValue, int MX, int MY, TMsgDlgBtn ADefaultButton);

std::unique_ptr<TqsMessageForm> CreateCustomMessageDialog(
    const QString& Msg, const QString& ACaption, const TqsImageList* AImageList, int AImageIndex,
    TMsgDlgButtons Buttons, TqsSkinData* ASkinData, TqsSkinData* ACtrlSkinData,
    const QString& AButtonSkinDataName, const QString& AMessageLabelSkinDataName,
    const FontDescription& ADefaultFont, const FontDescription& ADefaultButtonFont,
    bool AUseSkinFont, bool AAlphaBlend, bool AAlphaBlendAnimation, quint8 AAlphaBlendValue,
    bool AShowAgainFlag, bool AShowAgainFlagValue, int MX, int MY);

std::unique_ptr<TqsMessageForm> CreateCustomMessageDialogDefaultButton(
    const QString& Msg, const QString& ACaption, const TqsImageList* AImageList, int AImageIndex,
    TMsgDlgButtons Buttons, TqsSkinData* ASkinData, TqsSkinData* ACtrlSkinData,
    const QString& AButtonSkinDataName, const QString& AMessageLabelSkinDataName,
    const FontDescription& ADefaultFont, const FontDescription& ADefaultButtonFont,
    bool AUseSkinFont, bool AAlphaBlend, bool AAlphaBlendAnimation, quint8 AAlphaBlendValue,
    bool AShowAgainFlag, bool AShowAgainFlagValue, int MX, int MY, TMsgDlgBtn ADefaultButton);

// The wide builder never adds the show-again check box.
std::unique_ptr<TqsMessageForm> CreateWideMessageDialog(
    const std::wstring& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, TqsSkinData* ASkinData,
    TqsSkinData* ACtrlSkinData, const QString& AButtonSkinDataName,
    const QString& AMessageLabelSkinDataName, const FontDescription& ADefaultFont,
    const FontDescription& ADefaultButtonFont, bool AUseSkinFont, bool AAlphaBlend,
    bool AAlphaBlendAnimation, quint8 AAlphaBlendValue, int MX, int MY);
