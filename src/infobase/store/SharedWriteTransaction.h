#pragma once

#include <functional>

namespace infobase {

class BranchQuery;
class SqlcipherConnection;

// Runs the work in a write transaction of its own, committed or rolled back whole.
void inWriteTransaction(const SqlcipherConnection& connection, const std::function<void()>& work);

// Runs the work in one write transaction of the base that the branch query shares: the
// query's own record writes and the caller's are committed together or not at all, and
// the query learns which.
void inSharedWriteTransaction(const SqlcipherConnection& connection, BranchQuery& query,
                              const std::function<void()>& work);

} // namespace infobase
