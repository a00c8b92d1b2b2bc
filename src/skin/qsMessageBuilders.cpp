#include "skin/qsMessageBuilders.h"

#include "skin/qsMessageCaptions.h"
#include "skin/qsSkinButton.h"
#include "skin/qsSkinCheckRadioBox.h"
#include "skin/qsSkinStdLabel.h"
#include "skin/qsSystemIcon.h"

#include <QFontMetrics>
#include <QLabel>

namespace {

constexpr int kButtonWidth = 70;
constexpr int kButtonHeight = 25;
constexpr int kButtonSpacing = 10;
constexpr int kLabelLeft = 50;
constexpr int kLabelTop = 15;
constexpr int kIconLeft = 5;
constexpr int kIconSize = 32;
constexpr int kCheckBoxHeight = 30;

MessageDialogRequest
withCommon(TqsSkinData* ASkinData, TqsSkinData* ACtrlSkinData, const QString& AButtonSkinDataName,
           const QString& AMessageLabelSkinDataName, const FontDescription& ADefaultFont,
           const FontDescription& ADefaultButtonFont, bool AUseSkinFont, bool AAlphaBlend,
           bool AAlphaBlendAnimation, quint8 AAlphaBlendValue, bool AShowAgainFlag,
           bool AShowAgainFlagValue, int MX, int MY) {
    MessageDialogRequest r;
    r.ASkinData = ASkinData;
    r.ACtrlSkinData = ACtrlSkinData;
    r.AButtonSkinDataName = AButtonSkinDataName;
    r.AMessageLabelSkinDataName = AMessageLabelSkinDataName;
    r.ADefaultFont = ADefaultFont;
    r.ADefaultButtonFont = ADefaultButtonFont;
    r.AUseSkinFont = AUseSkinFont;
    r.AAlphaBlend = AAlphaBlend;
    r.AAlphaBlendAnimation = AAlphaBlendAnimation;
    r.AAlphaBlendValue = AAlphaBlendValue;
    r.AShowAgainFlag = AShowAgainFlag;
    r.AShowAgainFlagValue = AShowAgainFlagValue;
    r.MX = MX;
    r.MY = MY;
    return r;
}

// The icon beside the text: the type's system icon, or a picture of a custom image list.
void addIcon(const MessageDialogRequest& r, TqsMessageForm& form, const QWidget& label) {
    const int centredTop = label.y() + label.height() / 2 - kIconSize / 2;
    if (!r.Custom) {
        auto* image = new QLabel(form.Client());
        image->setObjectName(QStringLiteral("Image"));
        image->setPixmap(SystemIcon(r.DlgType));
        image->setGeometry(kIconLeft, std::max(centredTop, 10), kIconSize, kIconSize);
        return;
    }
    if (r.Images == nullptr || r.ImageIndex < 0 || r.ImageIndex > r.Images->Count() - 1) {
        return;
    }
    auto* image = new QLabel(form.Client());
    image->setObjectName(QStringLiteral("Image"));
    image->setAttribute(Qt::WA_TranslucentBackground);
    image->setPixmap(r.Images->Pictures[r.ImageIndex]);
    image->setGeometry(kIconLeft, centredTop, r.Images->PictureSize.width(),
                       r.Images->PictureSize.height());
}

} // namespace

std::unique_ptr<TqsMessageForm> BuildMessageDialog(const MessageDialogRequest& r) {
    auto form = TqsMessageForm::CreateEx(r.MX, r.MY);
    form->SetFrame(
        {r.ASkinData, r.ACtrlSkinData, r.AAlphaBlend, r.AAlphaBlendAnimation, r.AAlphaBlendValue});

    const int buttonCount = r.Buttons.count();
    const int buttonGroupWidth =
        buttonCount == 0 ? 0 : buttonCount * kButtonWidth + (buttonCount - 1) * kButtonSpacing;

    if (r.Caption) {
        form->setWindowTitle(*r.Caption);
    } else {
        form->setWindowTitle(GetMsgCaption(r.DlgType, r.ACtrlSkinData));
    }

    auto* label = new TqsSkinStdLabel(form->Client());
    form->Message = label;
    label->SetFont(r.ADefaultFont);
    label->SetDefaultFont(r.ADefaultFont);
    label->SetUseSkinFont(r.AUseSkinFont);
    label->SetSkinDataName(r.AMessageLabelSkinDataName);
    label->SetSkinData(r.ACtrlSkinData);
    label->setObjectName(QStringLiteral("Message"));
    label->SetAutoSize(true);
    label->SetCaption(r.Msg);
    label->move(kLabelLeft, kLabelTop);
    const int labelRight = label->x() + label->width();

    addIcon(r, *form, *label);

    int clientHeight = kButtonHeight + label->height() + 50;
    int clientWidth = buttonGroupWidth < labelRight ? labelRight + 40 : buttonGroupWidth + 40;

    if (r.AShowAgainFlag) {
        clientHeight += 40;
        auto* box = new TqsSkinCheckRadioBox(form->Client());
        form->DisplayCheckBox = box;
        box->setObjectName(QStringLiteral("checkbox"));
        box->SetDefaultHeight(kCheckBoxHeight);
        box->SetChecked(!r.AShowAgainFlagValue);
        box->SetDefaultFont(r.ADefaultFont);
        box->SetUseSkinFont(r.AUseSkinFont);
        box->SetSkinData(r.ACtrlSkinData);
        const int top = clientHeight - kButtonHeight - 50;
        box->SetCaption(ShowAgainFlagCaption(r.ACtrlSkinData));
        const int w = QFontMetrics(r.ADefaultFont.toQFont()).horizontalAdvance(box->Caption()) + 30;
        clientWidth = std::max(clientWidth, w + 30);
        box->setGeometry(5, top, w + 25, box->DefaultHeight());
    }

    // The outer width stays within the frame's limits; the height is not clamped.
    const int frameWidth =
        TqsMessageForm::ClientToOuter({clientWidth, clientHeight}).width() - clientWidth;
    if (clientWidth + frameWidth > form->GetMaxWidth()) {
        clientWidth = form->GetMaxWidth() - frameWidth;
    } else if (clientWidth + frameWidth < form->GetMinWidth()) {
        clientWidth = form->GetMinWidth() - frameWidth;
    }
    form->SetClientSize({clientWidth, clientHeight});

    TMsgDlgBtn defaultButton = mbRetry;
    if (r.DefaultButton) {
        defaultButton = *r.DefaultButton;
    } else if (r.Buttons.contains(mbOK)) {
        defaultButton = mbOK;
    } else if (r.Buttons.contains(mbYes)) {
        defaultButton = mbYes;
    }
    TMsgDlgBtn cancelButton = mbOK;
    if (r.Buttons.contains(mbCancel)) {
        cancelButton = mbCancel;
    } else if (r.Buttons.contains(mbNo)) {
        cancelButton = mbNo;
    }

    int left = (clientWidth - buttonGroupWidth) / 2;
    for (int b = mbYes; b <= mbClose; ++b) {
        const auto B = static_cast<TMsgDlgBtn>(b);
        if (!r.Buttons.contains(B)) {
            continue;
        }
        auto* button = new TqsSkinButton(form->Client());
        button->setObjectName(ButtonComponentName(B));
        button->SetCanFocused(true);
        button->SetCaption(GetButtonCaption(B, r.ACtrlSkinData));
        button->SetModalResult(ButtonModalResult(B));
        if (B == defaultButton) {
            button->SetDefault(true);
            if (r.DefaultButton) {
                button->setFocus(Qt::OtherFocusReason);
            }
        }
        button->SetCancel(B == cancelButton);
        button->SetDefaultHeight(kButtonHeight);
        button->setGeometry(left, clientHeight - kButtonHeight - 10, kButtonWidth, kButtonHeight);
        button->SetDefaultFont(r.ADefaultButtonFont);
        button->SetUseSkinFont(r.AUseSkinFont);
        left += kButtonWidth + kButtonSpacing;
        if (B == mbHelp) {
            TqsMessageForm* owner = form.get();
            button->OnClick = [owner](QObject* Sender) { owner->HelpButtonClick(Sender); };
        }
        button->SetSkinDataName(r.AButtonSkinDataName);
        button->SetSkinData(r.ACtrlSkinData);
    }
    return form;
}

std::unique_ptr<TqsMessageForm>
CreateMessageDialog(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                    TqsSkinData* ASkinData, TqsSkinData* ACtrlSkinData,
                    const QString& AButtonSkinDataName, const QString& AMessageLabelSkinDataName,
                    const FontDescription& ADefaultFont, const FontDescription& ADefaultButtonFont,
                    bool AUseSkinFont, bool AAlphaBlend, bool AAlphaBlendAnimation,
                    quint8 AAlphaBlendValue, bool AShowAgainFlag, bool AShowAgainFlagValue, int MX,
                    int MY) {
    MessageDialogRequest r = withCommon(
        ASkinData, ACtrlSkinData, AButtonSkinDataName, AMessageLabelSkinDataName, ADefaultFont,
        ADefaultButtonFont, AUseSkinFont, AAlphaBlend, AAlphaBlendAnimation, AAlphaBlendValue,
        AShowAgainFlag, AShowAgainFlagValue, MX, MY);
    r.Msg = Msg;
    r.DlgType = DlgType;
    r.Buttons = Buttons;
    return BuildMessageDialog(r);
}

std::unique_ptr<TqsMessageForm>
CreateMessageDialog2(const QString& Msg, const QString& ACaption, TMsgDlgType DlgType,
                     TMsgDlgButtons Buttons, TqsSkinData* ASkinData, TqsSkinData* ACtrlSkinData,
                     const QString& AButtonSkinDataName, const QString& AMessageLabelSkinDataName,
                     const FontDescription& ADefaultFont, const FontDescription& ADefaultButtonFont,
                     bool AUseSkinFont, bool AAlphaBlend, bool AAlphaBlendAnimation,
                     quint8 AAlphaBlendValue, bool AShowAgainFlag, bool AShowAgainFlagValue, int MX,
                     int MY) {
    MessageDialogRequest r = withCommon(
        ASkinData, ACtrlSkinData, AButtonSkinDataName, AMessageLabelSkinDataName, ADefaultFont,
        ADefaultButtonFont, AUseSkinFont, AAlphaBlend, AAlphaBlendAnimation, AAlphaBlendValue,
        AShowAgainFlag, AShowAgainFlagValue, MX, MY);
    r.Msg = Msg;
    r.Caption = ACaption;
    r.DlgType = DlgType;
    r.Buttons = Buttons;
    return BuildMessageDialog(r);
}

std::unique_ptr<TqsMessageForm> CreateMessageDialogDefaultButton(
    const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, TqsSkinData* ASkinData,
    TqsSkinData* ACtrlSkinData, const QString& AButtonSkinDataName,
    const QString& AMessageLabelSkinDataName, const FontDescription& ADefaultFont,
    const FontDescription& ADefaultButtonFont, bool AUseSkinFont, bool AAlphaBlend,
    bool AAlphaBlendAnimation, quint8 AAlphaBlendValue, bool AShowAgainFlag,
    bool AShowAgainFlagValue, int MX, int MY, TMsgDlgBtn ADefaultButton) {
    MessageDialogRequest r = withCommon(
        ASkinData, ACtrlSkinData, AButtonSkinDataName, AMessageLabelSkinDataName, ADefaultFont,
        ADefaultButtonFont, AUseSkinFont, AAlphaBlend, AAlphaBlendAnimation, AAlphaBlendValue,
        AShowAgainFlag, AShowAgainFlagValue, MX, MY);
    r.Msg = Msg;
    r.DlgType = DlgType;
    r.Buttons = Buttons;
    r.DefaultButton = ADefaultButton;
    return BuildMessageDialog(r);
}

std::unique_ptr<TqsMessageForm> CreateCustomMessageDialog(
    const QString& Msg, const QString& ACaption, const TqsImageList* AImageList, int AImageIndex,
    TMsgDlgButtons Buttons, TqsSkinData* ASkinData, TqsSkinData* ACtrlSkinData,
    const QString& AButtonSkinDataName, const QString& AMessageLabelSkinDataName,
    const FontDescription& ADefaultFont, const FontDescription& ADefaultButtonFont,
    bool AUseSkinFont, bool AAlphaBlend, bool AAlphaBlendAnimation, quint8 AAlphaBlendValue,
    bool AShowAgainFlag, bool AShowAgainFlagValue, int MX, int MY) {
    MessageDialogRequest r = withCommon(
        ASkinData, ACtrlSkinData, AButtonSkinDataName, AMessageLabelSkinDataName, ADefaultFont,
        ADefaultButtonFont, AUseSkinFont, AAlphaBlend, AAlphaBlendAnimation, AAlphaBlendValue,
        AShowAgainFlag, AShowAgainFlagValue, MX, MY);
    r.Msg = Msg;
    r.Caption = ACaption;
    r.Custom = true;
    r.Images = AImageList;
    r.ImageIndex = AImageIndex;
    r.Buttons = Buttons;
    return BuildMessageDialog(r);
}

std::unique_ptr<TqsMessageForm> CreateCustomMessageDialogDefaultButton(
    const QString& Msg, const QString& ACaption, const TqsImageList* AImageList, int AImageIndex,
    TMsgDlgButtons Buttons, TqsSkinData* ASkinData, TqsSkinData* ACtrlSkinData,
    const QString& AButtonSkinDataName, const QString& AMessageLabelSkinDataName,
    const FontDescription& ADefaultFont, const FontDescription& ADefaultButtonFont,
    bool AUseSkinFont, bool AAlphaBlend, bool AAlphaBlendAnimation, quint8 AAlphaBlendValue,
    bool AShowAgainFlag, bool AShowAgainFlagValue, int MX, int MY, TMsgDlgBtn ADefaultButton) {
    MessageDialogRequest r = withCommon(
        ASkinData, ACtrlSkinData, AButtonSkinDataName, AMessageLabelSkinDataName, ADefaultFont,
        ADefaultButtonFont, AUseSkinFont, AAlphaBlend, AAlphaBlendAnimation, AAlphaBlendValue,
        AShowAgainFlag, AShowAgainFlagValue, MX, MY);
    r.Msg = Msg;
    r.Caption = ACaption;
    r.Custom = true;
    r.Images = AImageList;
    r.ImageIndex = AImageIndex;
    r.Buttons = Buttons;
    r.DefaultButton = ADefaultButton;
    return BuildMessageDialog(r);
}

std::unique_ptr<TqsMessageForm> CreateWideMessageDialog(
    const std::wstring& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, TqsSkinData* ASkinData,
    TqsSkinData* ACtrlSkinData, const QString& AButtonSkinDataName,
    const QString& AMessageLabelSkinDataName, const FontDescription& ADefaultFont,
    const FontDescription& ADefaultButtonFont, bool AUseSkinFont, bool AAlphaBlend,
    bool AAlphaBlendAnimation, quint8 AAlphaBlendValue, int MX, int MY) {
    MessageDialogRequest r =
        withCommon(ASkinData, ACtrlSkinData, AButtonSkinDataName, AMessageLabelSkinDataName,
                   ADefaultFont, ADefaultButtonFont, AUseSkinFont, AAlphaBlend,
                   AAlphaBlendAnimation, AAlphaBlendValue, false, false, MX, MY);
    r.Msg = QString::fromStdWString(Msg);
    r.DlgType = DlgType;
    r.Buttons = Buttons;
    return BuildMessageDialog(r);
}
