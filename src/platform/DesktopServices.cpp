#include "platform/DesktopServices.h"

#include <QProcess>

namespace platform {
namespace {

DesktopServices desktopOwn() {
    return DesktopServices{
        [] { return QDateTime::currentDateTime(); },
        [] { return QLocale::system(); },
        [](const QString& path) {
            return QStringList{QStringLiteral("xdg-open"), path};
        },
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

void openFile(const QString& path, QObject* context, std::function<void(bool opened)> whenDone) {
    const QStringList command = current().opener(path);
    // Owned by `context`: the process goes with it. The opener is the program that started
    // the application, never the application itself, which keeps running on its own.
    auto* process = new QProcess(context);
    process->setProgram(command.value(0));
    process->setArguments(command.mid(1));
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, whenDone](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         whenDone(status == QProcess::NormalExit && exitCode == 0);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, whenDone](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             process->deleteLater();
                             whenDone(false);
                         }
                     });
    process->start();
}

QString todayShortDate() {
    const DesktopServices& services = current();
    return services.locale().toString(services.now().date(), QLocale::ShortFormat);
}

ScopedDesktopServices::ScopedDesktopServices(DesktopServices replacement) : previous_(current()) {
    current() = DesktopServices{
        replacement.now ? replacement.now : previous_.now,
        replacement.locale ? replacement.locale : previous_.locale,
        replacement.opener ? replacement.opener : previous_.opener,
    };
}

ScopedDesktopServices::~ScopedDesktopServices() {
    current() = previous_;
}

} // namespace platform
