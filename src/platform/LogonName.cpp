#include "platform/LogonName.h"

#include <algorithm>
#include <pwd.h>
#include <unistd.h>

namespace platform {

QString systemLogonName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name) {
        return QString::fromLocal8Bit(entry->pw_name);
    }
    return qEnvironmentVariable("LOGNAME", qEnvironmentVariable("USER"));
}

bool copyLogonName(const QString& name, char16_t* buffer, std::uint32_t* size) {
    const auto needed = static_cast<std::uint32_t>(name.size()) + 1;
    if (name.isEmpty() || buffer == nullptr || *size < needed) {
        *size = name.isEmpty() ? 0 : needed;
        return false;
    }
    std::copy_n(reinterpret_cast<const char16_t*>(name.utf16()), name.size(), buffer);
    buffer[name.size()] = u'\0';
    *size = needed;
    return true;
}

} // namespace platform
