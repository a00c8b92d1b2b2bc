#include "ShowMessageOptions.h"

#include "skin/qsMessageCaptions.h"

namespace {

const QStringList kTypeNames{QStringLiteral("warning"), QStringLiteral("error"),
                             QStringLiteral("information"), QStringLiteral("confirmation"),
                             QStringLiteral("custom")};

const QStringList kValueOptions{QStringLiteral("--type"),    QStringLiteral("--buttons"),
                                QStringLiteral("--default"), QStringLiteral("--caption"),
                                QStringLiteral("--at"),      QStringLiteral("--style")};

// A button by its component name ("Yes", "NoToAll", ...), without regard to letter case.
std::optional<TMsgDlgBtn> buttonNamed(const QString& name) {
    for (int b = mbYes; b <= mbClose; ++b) {
        const auto button = static_cast<TMsgDlgBtn>(b);
        if (ButtonComponentName(button).compare(name, Qt::CaseInsensitive) == 0) {
            return button;
        }
    }
    return std::nullopt;
}

std::optional<TMsgDlgButtons> buttonSet(const QString& list, QString& error) {
    quint16 mask = 0;
    if (list.compare(QStringLiteral("none"), Qt::CaseInsensitive) == 0) {
        return TMsgDlgButtons::fromMask(mask);
    }
    for (const QString& name : list.split(u',', Qt::SkipEmptyParts)) {
        const std::optional<TMsgDlgBtn> button = buttonNamed(name.trimmed());
        if (!button) {
            error = QStringLiteral("unknown button '%1'").arg(name);
            return std::nullopt;
        }
        mask = static_cast<quint16>(mask | (1u << *button));
    }
    return TMsgDlgButtons::fromMask(mask);
}

std::optional<QPoint> point(const QString& text) {
    const QStringList parts = text.split(u',');
    bool xOk = false;
    bool yOk = false;
    if (parts.size() != 2) {
        return std::nullopt;
    }
    const int x = parts[0].trimmed().toInt(&xOk);
    const int y = parts[1].trimmed().toInt(&yOk);
    if (!xOk || !yOk) {
        return std::nullopt;
    }
    return QPoint(x, y);
}

} // namespace

QString ShowMessageUsage() {
    return QStringLiteral(
        "usage: quorlent-show-message [OPTION]... TEXT\n"
        "Shows TEXT in the program's message window and prints the result code\n"
        "(and, with --check-box, the show-again value) when the window closes.\n"
        "Line breaks in TEXT start new lines (in a shell: $'one\\ntwo').\n"
        "\n"
        "  --type TYPE          warning, error, information (default), confirmation, custom\n"
        "  --buttons LIST       comma-separated: Yes, No, OK, Cancel, Abort, Retry, Ignore,\n"
        "                       All, NoToAll, YesToAll, Help, Close; or none (default Yes)\n"
        "  --default BUTTON     the default button (it also has the focus at first)\n"
        "  --caption TEXT       the window caption instead of the type's\n"
        "  --at X,Y             place the window's top-left there instead of centring it\n"
        "  --check-box          add the show-again check box (starts checked)\n"
        "  --show-again-value   start with the show-again value set (the box unchecked)\n"
        "  --component-fonts    the component's own default fonts (Tahoma, cell height 13)\n"
        "                       instead of the main window's (Tahoma bold, 19 pixels)\n"
        "  --style NAME         the program's visual style to apply (default Amethyst Kamri);\n"
        "                       an empty NAME keeps the toolkit's own look\n"
        "  --help               this text\n");
}

std::optional<ShowMessageOptions> ParseShowMessageOptions(const QStringList& arguments,
                                                          QString& error) {
    ShowMessageOptions options;
    bool haveText = false;
    bool onlyText = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (onlyText || !arg.startsWith(QStringLiteral("--"))) {
            if (haveText) {
                error = QStringLiteral("more than one TEXT");
                return std::nullopt;
            }
            options.text = arg;
            haveText = true;
            continue;
        }
        if (arg == QStringLiteral("--")) {
            onlyText = true;
            continue;
        }
        if (arg == QStringLiteral("--check-box")) {
            options.checkBox = true;
            continue;
        }
        if (arg == QStringLiteral("--show-again-value")) {
            options.showAgainValue = true;
            continue;
        }
        if (arg == QStringLiteral("--component-fonts")) {
            options.componentFonts = true;
            continue;
        }
        // The remaining options take a value.
        if (!kValueOptions.contains(arg)) {
            error = QStringLiteral("unknown option '%1'").arg(arg);
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = QStringLiteral("%1 needs a value").arg(arg);
            return std::nullopt;
        }
        const QString& value = arguments[++i];
        if (arg == QStringLiteral("--type")) {
            const qsizetype index = kTypeNames.indexOf(value.toLower());
            if (index < 0) {
                error = QStringLiteral("unknown type '%1'").arg(value);
                return std::nullopt;
            }
            options.type = static_cast<TMsgDlgType>(index);
        } else if (arg == QStringLiteral("--buttons")) {
            const std::optional<TMsgDlgButtons> set = buttonSet(value, error);
            if (!set) {
                return std::nullopt;
            }
            options.buttons = *set;
        } else if (arg == QStringLiteral("--default")) {
            options.defaultButton = buttonNamed(value);
            if (!options.defaultButton) {
                error = QStringLiteral("unknown button '%1'").arg(value);
                return std::nullopt;
            }
        } else if (arg == QStringLiteral("--caption")) {
            options.caption = value;
        } else if (arg == QStringLiteral("--at")) {
            options.position = point(value);
            if (!options.position) {
                error = QStringLiteral("--at needs X,Y, not '%1'").arg(value);
                return std::nullopt;
            }
        } else {
            options.style = value;
        }
    }
    if (!haveText) {
        error = QStringLiteral("no TEXT given");
        return std::nullopt;
    }
    return options;
}
