#pragma once

#include <QString>
#include <cstdint>

namespace platform {

// The logon name of the user running the program, as the system's user database has it
// (empty when it cannot be found).
QString systemLogonName();

// Copies `name` into a caller's buffer of `*size` UTF-16 characters, zero-terminated,
// with the contract of the classic name query: on success `*size` becomes the number of
// characters written, terminator included, and the result is true; when the buffer is
// too small (or there is no name) nothing is written, `*size` becomes the number of
// characters needed and the result is false. A buffer of 16 thus holds 15 characters.
bool copyLogonName(const QString& name, char16_t* buffer, std::uint32_t* size);

} // namespace platform
