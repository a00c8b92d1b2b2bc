#pragma once

#include "skin/qsMessageTypes.h"
#include "skin/qsSkinData.h"

#include <QString>

// The component name and modal result of each button.
QString ButtonComponentName(TMsgDlgBtn B);
int ButtonModalResult(TMsgDlgBtn B);

// The caption of a button: from the caption table, or, when the skin data carries a
// resource-string table, the string under its "MSG_BTN_..." key. The table has no key for
// mbClose, which keeps its English caption.
QString GetButtonCaption(TMsgDlgBtn B, TqsSkinData* ASkinData);

// The window caption of a message type: from the caption table, or the
// string under its "MSG_CAP_..." key of the skin's resource-string table; for mtCustom the
// application's title.
QString GetMsgCaption(TMsgDlgType DT, TqsSkinData* ASkinData);

// The caption of the show-again check box, read each time: the skin's "MSG_CAP_SHOWFLAG"
// string when there is one and it is not empty, else the program's English string.
QString ShowAgainFlagCaption(TqsSkinData* ASkinData);
