#include "infobase/search/BaseStamp.h"

#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

namespace infobase::search {

BaseStamp stampOf(const SqlcipherConnection& connection) {
    SqlStatement version = connection.prepare("PRAGMA data_version");
    version.step();
    return BaseStamp{version.columnInt64(0), sqlite3_total_changes(connection.handle())};
}

} // namespace infobase::search
