#pragma once

#include "infobase/AppPaths.h"
#include "infobase/store/BranchQuery.h"
#include "infobase/store/PasswordTableQuery.h"
#include "infobase/store/SqlcipherConnection.h"

namespace infobase {

// The record store: the connection to the base file and the two queries over it, owned by
// the main window for the whole run.
//
// Usage by the connect command:
//     try { store.connect(paths); } catch (const Failure&) { /* "cannot connect" */ }
// then every branch command works on store.Query_Glav:
//     store.Query_Glav.Locate("Imya_vetok", name, {loCaseInsensitive, loPartialKey});
//     store.Query_Glav.FieldByName("Opisanie").AsString();
//
// At the end of the run (destruction) a pending change is dropped, not posted; then
// Query_Parole, Query_Glav and the connection close.
class RecordStore {
public:
    RecordStore() = default;
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;
    ~RecordStore();

    // Opens the base file of the application folder (paths.baseFile()) with the base's
    // password, then Query_Glav (dsBrowse, the first row current), then Query_Parole.
    // Any failure (missing or locked file, wrong password, damaged file, missing table or
    // column) throws Failure with the database's message and changes nothing in the file;
    // what the failed attempt opened stays open until the next connect, which closes it and
    // starts again. Connecting again after a success is not expected and also starts again.
    // A base the connect takes that lacks the record name index (RecordNameIndex.h) gets it
    // first, when it can take it now; otherwise it is read without it. The progress, when
    // given, is told now and then how far the connect got.
    void connect(const AppPaths& paths, const BranchQuery::Progress& progress = {});
    // The same for a base file at any path, with a chosen wait for another process's lock.
    void connect(const QString& baseFile, int busyTimeoutMs = 5000,
                 const BranchQuery::Progress& progress = {});

    bool Connected() const {
        return ADOConnection1.isOpen() && Query_Glav.Active() && Query_Parole.Active();
    }

    SqlcipherConnection ADOConnection1;
    BranchQuery Query_Glav;
    PasswordTableQuery Query_Parole;

private:
    void closeAll();
};

} // namespace infobase
