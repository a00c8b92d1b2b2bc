#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

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

// Locks on several folders, held together: the application folder and the folders its data
// files really lie in, whatever path reaches them (a symbolic link to a shared Data is the
// same folder, and its lock the same lock). A folder reached twice is locked once.
class FolderLocks {
public:
    // Locks the folders in turn and stops at the first that another process holds. A folder
    // that cannot be locked at all (missing, or a file system without locks) is passed over.
    explicit FolderLocks(const QStringList& folders);

    bool heldElsewhere() const { return !heldElsewhere_.isEmpty(); }
    // The folder another process holds, as given; empty when none.
    const QString& folderHeldElsewhere() const { return heldElsewhere_; }
    // Whether this object holds at least one lock.
    bool held() const { return !locks_.empty(); }

private:
    std::vector<std::unique_ptr<FolderLock>> locks_;
    QString heldElsewhere_;
};

} // namespace platform
