#include "infobase/PasswordTableQuery.h"

#include "infobase/SqlcipherConnection.h"

namespace infobase {

void PasswordTableQuery::Open(const SqlcipherConnection& connection) {
    active_ = false;
    SqlStatement query = connection.prepare("SELECT * FROM Tab_Parol");
    query.step();
    active_ = true;
}

} // namespace infobase
