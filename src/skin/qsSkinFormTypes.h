#pragma once

#include <QFlags>
#include <QRect>
#include <QString>

// The window-frame icons a frame may show besides its close box.
enum TqsBorderIcon {
    biSystemMenu = 0x01,
    biMinimize = 0x02,
    biMaximize = 0x04,
    biRollUp = 0x08,
    biMinimizeToTray = 0x10,
};
Q_DECLARE_FLAGS(TqsBorderIcons, TqsBorderIcon)
Q_DECLARE_OPERATORS_FOR_FLAGS(TqsBorderIcons)

// What a caption button does when it is clicked.
enum class TqsCaptionCommand { Close, Maximize, Minimize, RollUp, SystemMenu, MinimizeToTray };

// One button of the caption strip. Its rectangle is in window coordinates.
struct TqsCaptionButton {
    QString Name;
    TqsCaptionCommand Command = TqsCaptionCommand::Close;
    bool Enabled = true;
    bool Visible = true;
    bool Down = false;
    bool MouseIn = false;
    QRect Rect;
};

// Where a window position lies for the frame: the client area, the caption text area (which
// drags the window), or anything else of the frame (border and caption buttons).
enum class TqsHitArea { Client, Caption, FrameObject };
