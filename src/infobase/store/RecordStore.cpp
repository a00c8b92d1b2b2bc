#include "infobase/store/RecordStore.h"

#include "infobase/store/BranchTable.h"

namespace infobase {

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
    Query_Glav.Open(ADOConnection1, progress);
    Query_Parole.Open(ADOConnection1);
}

void RecordStore::closeAll() {
    Query_Parole.Close();
    Query_Glav.Close();
    ADOConnection1.close();
}

} // namespace infobase
