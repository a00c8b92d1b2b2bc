#pragma once

#include "infobase/wholefile/FileCopy.h"
#include "infobase/wholefile/ReplacementJournal.h"

#include <QString>
#include <functional>
#include <vector>

namespace infobase {

class SqlcipherConnection;

// A set of backup copies that replaces the earlier set all at once or not at all, even when
// the process is killed at any moment.
//
// Usage:
//     BackupCopies copies(paths.baseFile(), store.Connected() ? &store.ADOConnection1 : nullptr);
//     copies.add(paths.baseFile(), folder + "Quorlent.mdb", progress);
//     copies.add(paths.treeFile(), folder + "TreeView.dat", progress);
//     copies.replaceEarlier();
//
// Each copy goes to a hidden temporary file beside its destination (".<name>.swap") and is
// synced to disk; the earlier copies are touched only by replaceEarlier. That first writes a
// journal naming every new copy (".backup-journal" in the first destination's folder) and
// only then puts the copies in place one by one. A backup killed before the journal leaves
// the earlier set; one killed after it is completed by the next backup into the folder, or
// by finishReplacements at start-up, so that the copies in place always come from one
// backup. Whatever fails while the process lives, and whenever the object goes before
// replaceEarlier succeeded, every earlier copy stays as it was, byte for byte.
class BackupCopies {
public:
    // `baseFile` is the path of the base file; `openBase` its connection when one is open;
    // `treeFile` the path of the tree file, when the copies include it.
    BackupCopies(QString baseFile, const SqlcipherConnection* openBase, QString treeFile = {});
    ~BackupCopies();
    BackupCopies(const BackupCopies&) = delete;
    BackupCopies& operator=(const BackupCopies&) = delete;

    // Copies the source into a temporary file beside the destination, after finishing or
    // removing what an earlier backup killed half way left in that folder. The base file is
    // copied as a consistent snapshot (through the open connection, or a read-only one of its
    // own) and checked: the copy must hold as many records as the source, and every page of
    // it must read back sound (`checking` follows that check; `progress` when not given). Any
    // other file is copied byte for byte; it is only read, so a read-only source is fine.
    // A copy of the tree file must read whole with the tree file's strict reader: a damaged
    // tree file must not replace the last good copy either. Throws Failure.
    void add(const QString& source, const QString& destination, const CopyProgress& progress,
             const CopyProgress& checking = {});

    // Puts every copy in place of the earlier one under its destination's name, durably.
    // When one of them cannot be put in place, those put before it get their earlier files
    // back and Failure is thrown.
    void replaceEarlier();

    // Called between the steps of a backup that leave something on the disk, so that a test
    // can end the process at each of them.
    void setStepHook(std::function<void()> hook) { stepHook_ = std::move(hook); }

private:
    qint64 copyBase(int target, const QString& targetName, const CopyProgress& progress) const;
    void step() const;

    QString baseFile_;
    const SqlcipherConnection* openBase_;
    QString treeFile_;
    std::vector<Replacement> staged_;
    QString journalFolder_;
    std::function<void()> stepHook_;
};

} // namespace infobase
