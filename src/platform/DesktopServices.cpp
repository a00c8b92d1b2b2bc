#include "platform/DesktopServices.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {
namespace {

DesktopServices desktopOwn() {
    return DesktopServices{
        [] { return QDateTime::currentDateTime(); },
        [] { return QLocale::system(); },
        [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); },
    };
}

DesktopServices& current() {
    static DesktopServices services = desktopOwn();
    return services;
}

} // namespace

const DesktopServices& desktopServices() {
    return current();
}

QString todayShortDate() {
    const DesktopServices& services = current();
    return services.locale().toString(services.now().date(), QLocale::ShortFormat);
}

ScopedDesktopServices::ScopedDesktopServices(DesktopServices replacement) : previous_(current()) {
    current() = DesktopServices{
        replacement.now ? replacement.now : previous_.now,
        replacement.locale ? replacement.locale : previous_.locale,
        replacement.openFile ? replacement.openFile : previous_.openFile,
    };
}

ScopedDesktopServices::~ScopedDesktopServices() {
    current() = previous_;
}

} // namespace platform
