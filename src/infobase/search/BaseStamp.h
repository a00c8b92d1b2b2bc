#pragma once

#include <QtGlobal>

namespace infobase {
class SqlcipherConnection;
}

namespace infobase::search {

// Tells whether the base changed since an earlier look: SQLite's data_version moves with
// every change another connection (another program, or another connection of this one)
// commits, and the connection's own count of changed rows with every change it makes.
struct BaseStamp {
    qint64 othersChanges = -1;
    qint64 ownChanges = -1;
    friend bool operator==(const BaseStamp&, const BaseStamp&) = default;
};

// Throws Failure with the database's message.
BaseStamp stampOf(const SqlcipherConnection& connection);

} // namespace infobase::search
