#pragma once

#include <QString>

namespace jet {

// While it lives, a crash of the process (libmdb walking a damaged file into memory it does
// not own) ends it with a message on standard error and exit status 3 instead of a dead
// process with nothing said, and removes the half-written file first. The message and the
// file's name are prepared beforehand: a crashed process may only make system calls.
// libmdb tells its troubles only on standard error, in words of its own, and the reader
// turns every one of them into a message: while the guard lives, that output goes nowhere.
// One guard at a time.
class CrashGuard {
public:
    explicit CrashGuard(const QString& halfWrittenFile);
    ~CrashGuard();
    CrashGuard(const CrashGuard&) = delete;
    CrashGuard& operator=(const CrashGuard&) = delete;

    static constexpr int kExitStatus = 3;
};

} // namespace jet
