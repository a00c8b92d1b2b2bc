#pragma once

#include "skin/qsMessageTypes.h"

#include <QPoint>
#include <QString>
#include <QStringList>
#include <optional>

// What one run of quorlent-show-message shows, read from its command line.
struct ShowMessageOptions {
    QString text;
    TMsgDlgType type = mtInformation;
    TMsgDlgButtons buttons{mbYes};
    std::optional<TMsgDlgBtn> defaultButton;
    std::optional<QString> caption;
    std::optional<QPoint> position;
    bool checkBox = false;
    bool showAgainValue = false;
    bool componentFonts = false;
    QString style = QStringLiteral("Amethyst Kamri");
};

// Reads the arguments (without the program name). On a mistake returns std::nullopt and
// puts the reason into `error`.
std::optional<ShowMessageOptions> ParseShowMessageOptions(const QStringList& arguments,
                                                          QString& error);

// The usage text printed by --help and after a mistake.
QString ShowMessageUsage();
