#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;

namespace platform {

// The desktop's services that the commands call: the clock, the user's regional settings
// and "open this file with its default application". Commands reach them only through
// desktopServices(), so tests pin the date and see what would have been opened
// (ScopedDesktopServices).
struct DesktopServices {
    std::function<QDateTime()> now;  // the current local time
    std::function<QLocale()> locale; // the user's regional settings (short date format)
    // The command line that hands a file to the desktop's default application for its
    // kind (xdg-open). It exits with status 0 when it did; any other status means the
    // desktop has no application for the file or refused it.
    std::function<QStringList(const QString& path)> opener;
};

// The services in force: the desktop's own unless a test replaced them.
const DesktopServices& desktopServices();

// Runs the opener for `path` without waiting for it; `whenDone` is called later from the
// event loop with whether the opener succeeded (also false when it could not be started),
// unless `context` is gone by then.
void openFile(const QString& path, QObject* context, std::function<void(bool opened)> whenDone);

// Today's date (the date part of now()) in the user's short date format.
QString todayShortDate();

// Replaces the services for its lifetime; a member left empty keeps the one in force.
class ScopedDesktopServices {
public:
    explicit ScopedDesktopServices(DesktopServices replacement);
    ~ScopedDesktopServices();
    ScopedDesktopServices(const ScopedDesktopServices&) = delete;
    ScopedDesktopServices& operator=(const ScopedDesktopServices&) = delete;

private:
    DesktopServices previous_;
};

} // namespace platform
