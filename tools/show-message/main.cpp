// quorlent-show-message: shows one message through the message component, the way the
// program's main window does, and prints how the window was closed.
#include "ShowMessageOptions.h"
#include "platform/ProgramFonts.h"
#include "skin/qsMessages.h"
#include "ui/VisualStyle.h"

#include <QApplication>
#include <QTextStream>

namespace {

int show(TqsSkinMessage& component, const ShowMessageOptions& o) {
    if (o.caption) {
        return component.MessageDlg2(o.text, *o.caption, o.type, o.buttons, 0);
    }
    if (o.position && o.defaultButton) {
        return component.MessageDlgPos(o.text, o.type, o.buttons, 0, o.position->x(),
                                       o.position->y(), *o.defaultButton);
    }
    if (o.position) {
        return component.MessageDlgPos(o.text, o.type, o.buttons, 0, o.position->x(),
                                       o.position->y());
    }
    if (o.defaultButton) {
        return component.MessageDlg(o.text, o.type, o.buttons, 0, *o.defaultButton);
    }
    return component.MessageDlg(o.text, o.type, o.buttons, 0);
}

} // namespace

int main(int argc, char** argv) {
    // The command line is read before the application starts, so that --help and mistakes
    // need no display.
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QString error;
    if (arguments.contains(QStringLiteral("--help"))) {
        out << ShowMessageUsage();
        return 0;
    }
    const std::optional<ShowMessageOptions> options = ParseShowMessageOptions(arguments, error);
    if (options && options->caption && (options->position || options->defaultButton)) {
        error = QStringLiteral("--caption goes with neither --at nor --default");
    }
    if (!options || !error.isEmpty()) {
        err << "quorlent-show-message: " << error << "\n\n" << ShowMessageUsage();
        return 2;
    }

    QApplication app(argc, argv);
    platform::registerProgramFonts();
    if (!options->style.isEmpty()) {
        ui::applyVisualStyle(options->style);
    }
    const std::unique_ptr<TqsSkinMessage> component =
        options->componentFonts ? std::make_unique<TqsSkinMessage>() : CreateMainWindowMessageDl();
    component->SetShowAgainFlag(options->checkBox);
    component->SetShowAgainFlagValue(options->showAgainValue);

    out << "result " << show(*component, *options) << '\n';
    if (options->checkBox) {
        out << "ShowAgainFlagValue " << (component->ShowAgainFlagValue() ? "true" : "false")
            << '\n';
    }
    return 0;
}
