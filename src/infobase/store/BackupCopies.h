#pragma once

#include "infobase/store/FileCopy.h"

#include <QString>
#include <vector>

namespace infobase {

class SqlcipherConnection;

// A set of backup copies that replaces the earlier set all at once or not at all.
//
// Usage:
//     BackupCopies copies(paths.baseFile(), store.Connected() ? &store.ADOConnection1 : nullptr);
//     copies.add(paths.baseFile(), folder + "Quorlent.mdb", progress);
//     copies.add(paths.treeFile(), folder + "TreeView.dat", progress);
//     copies.replaceEarlier();
//
// Each copy goes to a temporary file beside its destination and is synced to disk; the
// earlier copies are touched only by replaceEarlier. Whatever fails, and whenever the object
// goes before replaceEarlier succeeded, the temporary files are removed and every earlier
// copy stays as it was, byte for byte.
class BackupCopies {
public:
    // `baseFile` is the path of the base file; `openBase` its connection when one is open.
    BackupCopies(QString baseFile, const SqlcipherConnection* openBase);
    ~BackupCopies();
    BackupCopies(const BackupCopies&) = delete;
    BackupCopies& operator=(const BackupCopies&) = delete;

    // Copies the source into a temporary file beside the destination. The base file is
    // copied as a consistent snapshot (through the open connection, or a read-only one of
    // its own) and checked: the copy must open with the base's password and hold as many
    // records as the source. Any other file is copied byte for byte; it is only read, so a
    // read-only source is fine. Throws Failure.
    void add(const QString& source, const QString& destination, const CopyProgress& progress);

    // Puts every copy in place of the earlier one under its destination's name and syncs
    // the folders. When one of them cannot be put in place, those put before it get their
    // earlier files back and Failure is thrown.
    void replaceEarlier();

private:
    struct Staged {
        QString temporary; // the new copy; after its exchange, the earlier file
        QString destination;
        bool exchanged = false; // the destination and the temporary swapped contents
        bool hadEarlier = false;
        bool keep = false; // holds an earlier copy that could not be put back
    };

    qint64 copyBase(int target, const QString& targetName, const CopyProgress& progress) const;
    void undo(std::size_t count);

    QString baseFile_;
    const SqlcipherConnection* openBase_;
    std::vector<Staged> staged_;
};

} // namespace infobase
