#pragma once

#include <QString>

namespace platform {

// An exclusive lock on a folder, held for the life of the object, so that one running
// program at a time works with an application folder.
//
// The lock sits on an open descriptor of the folder itself: no lock file is written, and the
// system drops the lock when the process ends, however it ends, so a killed program never
// blocks the next start. The descriptor is not inherited by programs started from this one
// (a viewer opened for an attachment must not keep the folder locked after we are gone).
class FolderLock {
public:
    enum class State {
        Held,          // this object holds the lock
        HeldElsewhere, // another process holds it
        Unavailable,   // the folder cannot be opened or locked here; nothing is held
    };

    explicit FolderLock(const QString& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    State state() const { return state_; }

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
};

} // namespace platform
