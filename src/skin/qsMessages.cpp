#include "skin/qsMessages.h"

#include "skin/qsSkinCheckRadioBox.h"

namespace {

constexpr int kCentred = -10001;

} // namespace

TqsSkinMessage::TqsSkinMessage(QObject* AOwner) : QObject(AOwner) {}

std::unique_ptr<TqsSkinMessage> CreateMainWindowMessageDl(QObject* AOwner) {
    auto messageDl = std::make_unique<TqsSkinMessage>(AOwner);
    FontDescription font;
    font.Name = QStringLiteral("Tahoma");
    font.Height = -19;
    font.Bold = true;
    messageDl->SetDefaultFont(font);
    messageDl->SetDefaultButtonFont(font);
    return messageDl;
}

MessageDialogRequest TqsSkinMessage::request(const QString& Msg, TMsgDlgType DlgType,
                                             TMsgDlgButtons Buttons, int MX, int MY) const {
    MessageDialogRequest r;
    r.Msg = Msg;
    r.DlgType = DlgType;
    r.Buttons = Buttons;
    r.ASkinData = FSkinData;
    r.ACtrlSkinData = FCtrlSkinData;
    r.AButtonSkinDataName = FButtonSkinDataName;
    r.AMessageLabelSkinDataName = FMessageLabelSkinDataName;
    r.ADefaultFont = FDefaultFont;
    r.ADefaultButtonFont = FDefaultButtonFont;
    r.AUseSkinFont = FUseSkinFont;
    r.AAlphaBlend = FAlphaBlend;
    r.AAlphaBlendAnimation = FAlphaBlendAnimation;
    r.AAlphaBlendValue = FAlphaBlendValue;
    r.AShowAgainFlag = FShowAgainFlag;
    r.AShowAgainFlagValue = FShowAgainFlagValue;
    r.MX = MX;
    r.MY = MY;
    return r;
}

MessageDialogRequest TqsSkinMessage::customRequest(const QString& Msg, const QString& ACaption,
                                                   const TqsImageList* AImages, int AImageIndex,
                                                   TMsgDlgButtons Buttons, int MX, int MY) const {
    MessageDialogRequest r = request(Msg, mtCustom, Buttons, MX, MY);
    r.Caption = ACaption;
    r.Custom = true;
    r.Images = AImages;
    r.ImageIndex = AImageIndex;
    return r;
}

int TqsSkinMessage::run(const MessageDialogRequest& request, int HelpCtx,
                        const QString& HelpFileName, bool callsSetShowPos) {
    const std::unique_ptr<TqsMessageForm> form = BuildMessageDialog(request);
    form->SetHelpContext(HelpCtx);
    if (!HelpFileName.isEmpty()) {
        form->SetHelpFile(HelpFileName);
    }
    if (callsSetShowPos && OnSetShowPos) {
        const QPoint pos = form->OuterPos();
        const QSize size = form->OuterSize();
        int x = pos.x();
        int y = pos.y();
        OnSetShowPos(this, x, y, size.width(), size.height());
        form->MoveOuterTo({x, y});
    }
    // However showing ends, the check box's state is carried back before the window goes.
    struct CarryShowAgainFlag {
        TqsSkinMessage& component;
        const TqsMessageForm& form;
        ~CarryShowAgainFlag() {
            if (form.DisplayCheckBox != nullptr) {
                component.FShowAgainFlagValue = !form.DisplayCheckBox->Checked();
            }
        }
    } carry{*this, *form};
    return form->ShowModal();
}

int TqsSkinMessage::MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                               int HelpCtx) {
    return run(request(Msg, DlgType, Buttons, kCentred, kCentred), HelpCtx, {}, false);
}

int TqsSkinMessage::MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                               int HelpCtx, TMsgDlgBtn DefaultButton) {
    MessageDialogRequest r = request(Msg, DlgType, Buttons, kCentred, kCentred);
    r.DefaultButton = DefaultButton;
    return run(r, HelpCtx, {}, false);
}

int TqsSkinMessage::MessageDlgPos(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                  int HelpCtx, int X, int Y) {
    return run(request(Msg, DlgType, Buttons, X, Y), HelpCtx, {}, true);
}

int TqsSkinMessage::MessageDlgPos(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                  int HelpCtx, int X, int Y, TMsgDlgBtn DefaultButton) {
    MessageDialogRequest r = request(Msg, DlgType, Buttons, X, Y);
    r.DefaultButton = DefaultButton;
    return run(r, HelpCtx, {}, true);
}

int TqsSkinMessage::MessageDlgHelp(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                   int HelpCtx, const QString& HelpFileName) {
    return run(request(Msg, DlgType, Buttons, kCentred, kCentred), HelpCtx, HelpFileName, false);
}

int TqsSkinMessage::MessageDlg2(const QString& Msg, const QString& ACaption, TMsgDlgType DlgType,
                                TMsgDlgButtons Buttons, int HelpCtx) {
    MessageDialogRequest r = request(Msg, DlgType, Buttons, kCentred, kCentred);
    r.Caption = ACaption;
    return run(r, HelpCtx, {}, false);
}

int TqsSkinMessage::MessageDlgHelp2(const QString& Msg, const QString& ACaption,
                                    TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                                    const QString& HelpFileName) {
    MessageDialogRequest r = request(Msg, DlgType, Buttons, kCentred, kCentred);
    r.Caption = ACaption;
    return run(r, HelpCtx, HelpFileName, false);
}

int TqsSkinMessage::WideMessageDlg(const std::wstring& Msg, TMsgDlgType DlgType,
                                   TMsgDlgButtons Buttons, int HelpCtx) {
    return WideMessageDlgPos(Msg, DlgType, Buttons, HelpCtx, kCentred, kCentred);
}

int TqsSkinMessage::WideMessageDlgPos(const std::wstring& Msg, TMsgDlgType DlgType,
                                      TMsgDlgButtons Buttons, int HelpCtx, int X, int Y) {
    MessageDialogRequest r = request(QString::fromStdWString(Msg), DlgType, Buttons, X, Y);
    r.AShowAgainFlag = false;
    return run(r, HelpCtx, {}, false);
}

int TqsSkinMessage::CustomMessageDlg(const QString& Msg, const QString& ACaption,
                                     const TqsImageList* AImages, int AImageIndex,
                                     TMsgDlgButtons Buttons, int HelpCtx) {
    return run(customRequest(Msg, ACaption, AImages, AImageIndex, Buttons, kCentred, kCentred),
               HelpCtx, {}, false);
}

int TqsSkinMessage::CustomMessageDlg(const QString& Msg, const QString& ACaption,
                                     const TqsImageList* AImages, int AImageIndex,
                                     TMsgDlgButtons Buttons, int HelpCtx,
                                     TMsgDlgBtn DefaultButton) {
    MessageDialogRequest r =
        customRequest(Msg, ACaption, AImages, AImageIndex, Buttons, kCentred, kCentred);
    r.DefaultButton = DefaultButton;
    return run(r, HelpCtx, {}, false);
}

int TqsSkinMessage::CustomMessageDlgPos(const QString& Msg, const QString& ACaption,
                                        const TqsImageList* AImages, int AImageIndex,
                                        TMsgDlgButtons Buttons, int HelpCtx, int X, int Y) {
    return run(customRequest(Msg, ACaption, AImages, AImageIndex, Buttons, X, Y), HelpCtx, {},
               true);
}

int TqsSkinMessage::CustomMessageDlgPos(const QString& Msg, const QString& ACaption,
                                        const TqsImageList* AImages, int AImageIndex,
                                        TMsgDlgButtons Buttons, int HelpCtx, int X, int Y,
                                        TMsgDlgBtn DefaultButton) {
    MessageDialogRequest r = customRequest(Msg, ACaption, AImages, AImageIndex, Buttons, X, Y);
    r.DefaultButton = DefaultButton;
    return run(r, HelpCtx, {}, true);
}

int TqsSkinMessage::CustomMessageDlgHelp(const QString& Msg, const QString& ACaption,
                                         const TqsImageList* AImages, int AImageIndex,
                                         TMsgDlgButtons Buttons, int HelpCtx,
                                         const QString& HelpFileName) {
    return run(customRequest(Msg, ACaption, AImages, AImageIndex, Buttons, kCentred, kCentred),
               HelpCtx, HelpFileName, false);
}
