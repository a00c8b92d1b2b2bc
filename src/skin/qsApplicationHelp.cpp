#include "skin/qsApplicationHelp.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

void openHelpFile(const QString& helpFile, int) {
    if (!helpFile.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
    }
}

ApplicationHelpHandler& currentHandler() {
    static ApplicationHelpHandler handler = openHelpFile;
    return handler;
}

} // namespace

void SetApplicationHelpHandler(ApplicationHelpHandler handler) {
    currentHandler() = handler ? std::move(handler) : ApplicationHelpHandler(openHelpFile);
}

void ShowApplicationHelp(const QString& helpFile, int context) {
    currentHandler()(helpFile, context);
}
