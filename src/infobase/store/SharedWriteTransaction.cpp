#include "infobase/store/SharedWriteTransaction.h"

#include "infobase/store/BranchQuery.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

namespace infobase {

void inWriteTransaction(const SqlcipherConnection& connection, const std::function<void()>& work) {
    connection.execute("BEGIN IMMEDIATE");
    try {
        work();
        connection.execute("COMMIT");
    } catch (...) {
        // Some failures (a full disk, an I/O error) end the transaction themselves.
        if (!sqlite3_get_autocommit(connection.handle())) {
            sqlite3_exec(connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
        throw;
    }
}

void inSharedWriteTransaction(const SqlcipherConnection& connection, BranchQuery& query,
                              const std::function<void()>& work) {
    bool joined = false;
    try {
        inWriteTransaction(connection, [&] {
            query.beginSharedWrite();
            joined = true;
            work();
        });
    } catch (...) {
        if (joined) {
            query.endSharedWrite(false);
        }
        throw;
    }
    query.endSharedWrite(true);
}

} // namespace infobase
