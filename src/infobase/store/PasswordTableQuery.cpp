#include "infobase/store/PasswordTableQuery.h"

#include "infobase/store/SqlcipherConnection.h"

namespace infobase {

void PasswordTableQuery::Open(const SqlcipherConnection& connection) {
    active_ = false;
    // Preparing the query proves that the table exists; its rows are never read.
    connection.prepare("SELECT * FROM Tab_Parol");
    active_ = true;
}

} // namespace infobase
