#pragma once

#include "skin/qsMessageTypes.h"

#include <QPixmap>

// The platform's 32 x 32 icon of a message type (exclamation, hand, information,
// question); a null pixmap for mtCustom or when the platform has none.
QPixmap SystemIcon(TMsgDlgType DlgType);
