#include "infobase/store/SharedWriteTransaction.h"

#include "infobase/store/BranchQuery.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

namespace infobase {

void inSharedWriteTransaction(const SqlcipherConnection& connection, BranchQuery& query,
                              const std::function<void()>& work) {
    connection.execute("BEGIN IMMEDIATE");
    query.beginSharedWrite();
    try {
        work();
        connection.execute("COMMIT");
    } catch (...) {
        // Some failures (a full disk, an I/O error) end the transaction themselves.
        if (!sqlite3_get_autocommit(connection.handle())) {
            sqlite3_exec(connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
        query.endSharedWrite(false);
        throw;
    }
    query.endSharedWrite(true);
}

} // namespace infobase
