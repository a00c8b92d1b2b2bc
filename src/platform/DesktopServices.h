#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <functional>

namespace platform {

// The desktop's services that the commands call: the clock, the user's regional settings
// and "open this file with its default application". Commands reach them only through
// desktopServices(), so tests pin the date and see what would have been opened
// (ScopedDesktopServices).
struct DesktopServices {
    std::function<QDateTime()> now;  // the current local time
    std::function<QLocale()> locale; // the user's regional settings (short date format)
    // Hands a file to the desktop's default application for its kind; false when the
    // desktop has no application for it or refused.
    std::function<bool(const QString& path)> openFile;
};

// The services in force: the desktop's own unless a test replaced them.
const DesktopServices& desktopServices();

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
