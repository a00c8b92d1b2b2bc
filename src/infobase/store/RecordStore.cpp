#include "infobase/store/RecordStore.h"

#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordNameIndex.h"

namespace infobase {

namespace {

// The share of the progress a connect that makes the record name index gives the making: it
// reads the whole record table, the open after it only the index.
constexpr double kMakingShare = 0.75;

// Whether the base lacks the record name index and the connect will take it: the tables it
// opens are there. The index is made only then, so that a base the connect refuses stays as
// it was.
bool wantsNameIndex(const SqlcipherConnection& connection) {
    try {
        branch_table::requireColumns(connection);
        connection.prepare("SELECT * FROM Tab_Parol");
        return !record_name_index::present(connection);
    } catch (const Failure&) {
        return false;
    }
}

// Makes the record name index when the base lacks it and can take it now, a one-time work at
// the start of the progress; returns the progress left for the open.
BranchQuery::Progress makeNameIndex(const SqlcipherConnection& connection,
                                    const BranchQuery::Progress& progress) {
    if (!wantsNameIndex(connection)) {
        return progress;
    }
    // How far the making got is not known: the progress stays at its start meanwhile, told
    // now and then so that the window stays painted.
    const bool made = record_name_index::make(connection, [&progress] {
        if (progress) {
            progress(0);
        }
    });
    if (!made || !progress) {
        return progress;
    }
    progress(kMakingShare);
    return [progress](double done) { progress(kMakingShare + (1 - kMakingShare) * done); };
}

} // namespace

RecordStore::~RecordStore() {
    closeAll();
}

void RecordStore::connect(const AppPaths& paths, const BranchQuery::Progress& progress) {
    connect(paths.baseFile(), 5000, progress);
}

void RecordStore::connect(const QString& baseFile, int busyTimeoutMs,
                          const BranchQuery::Progress& progress) {
    // A previous attempt may have stopped half way: start again from nothing.
    closeAll();
    ADOConnection1 = SqlcipherConnection::open(baseFile, branch_table::kPassword,
                                               SqlcipherConnection::Options{busyTimeoutMs});
    Query_Glav.Open(ADOConnection1, makeNameIndex(ADOConnection1, progress));
    Query_Parole.Open(ADOConnection1);
}

void RecordStore::closeAll() {
    Query_Parole.Close();
    Query_Glav.Close();
    ADOConnection1.close();
}

} // namespace infobase
