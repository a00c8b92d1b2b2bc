#include "ui/StandaloneMessage.h"

#include "skin/qsMessages.h"

namespace ui {

void showStandaloneMessage(const QString& text) {
    const std::unique_ptr<TqsSkinMessage> message = CreateMainWindowMessageDl();
    message->MessageDlg(text, mtInformation, TMsgDlgButtons{mbYes}, 0);
}

} // namespace ui
