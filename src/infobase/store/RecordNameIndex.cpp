#include "infobase/store/RecordNameIndex.h"

#include "common/Failure.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

namespace infobase::record_name_index {

namespace {

// Virtual machine steps between two calls of `working` while the index is made: a few
// thousand records.
constexpr int kStepsPerCall = 1 << 16;

// While the index is made: another program's lock is not waited for, and `working` is called
// now and then. A failure of `working` stops the making.
class Making {
public:
    Making(const SqlcipherConnection& connection, const std::function<void()>& working)
        : connection_(connection), working_(working) {
        sqlite3_busy_timeout(connection_.handle(), 0);
        if (working_) {
            sqlite3_progress_handler(connection_.handle(), kStepsPerCall, &Making::step, this);
        }
    }
    ~Making() {
        sqlite3_progress_handler(connection_.handle(), 0, nullptr, nullptr);
        sqlite3_busy_timeout(connection_.handle(), connection_.busyTimeoutMs());
        if (!sqlite3_get_autocommit(connection_.handle())) {
            sqlite3_exec(connection_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    Making(const Making&) = delete;
    Making& operator=(const Making&) = delete;

private:
    static int step(void* self) {
        try {
            static_cast<Making*>(self)->working_();
            return 0;
        } catch (...) {
            return 1;
        }
    }

    const SqlcipherConnection& connection_;
    const std::function<void()>& working_;
};

} // namespace

bool present(const SqlcipherConnection& connection) {
    SqlStatement select = connection.prepare(
        "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ? AND tbl_name = "
        "'Tab_DB_Delphi_10' AND sql = ?");
    select.bindText(1, kName);
    select.bindText(2, kCreate);
    return select.step();
}

bool make(const SqlcipherConnection& connection, const std::function<void()>& working) {
    try {
        if (sqlite3_db_readonly(connection.handle(), "main") != 0) {
            return false;
        }
        Making making(connection, working);
        connection.execute("BEGIN IMMEDIATE");
        // Another program may have made it meanwhile.
        if (!present(connection)) {
            connection.execute(kCreate);
        }
        connection.execute("COMMIT");
        return true;
    } catch (const Failure&) {
        return false;
    }
}

} // namespace infobase::record_name_index
