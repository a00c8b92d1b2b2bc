#pragma once

namespace infobase {

class SqlcipherConnection;

// The query over the password table (Query_Parole). Opening it proves that the table
// exists; nothing reads, writes or moves it afterwards.
class PasswordTableQuery {
public:
    // Throws Failure with the database's message ("no such table: Tab_Parol", ...).
    void Open(const SqlcipherConnection& connection);
    void Close() { active_ = false; }
    bool Active() const { return active_; }

private:
    bool active_ = false;
};

} // namespace infobase
