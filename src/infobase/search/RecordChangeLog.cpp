#include "infobase/search/RecordChangeLog.h"

#include "common/Failure.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

namespace infobase::search::change_log {

namespace {

// Each trigger gives the key it names the next number of the whole base.
constexpr const char* kMake =
    "DROP TRIGGER IF EXISTS RecordVersionsAfterInsert;"
    "DROP TRIGGER IF EXISTS RecordVersionsAfterUpdate;"
    "DROP TRIGGER IF EXISTS RecordVersionsAfterDelete;"
    "DROP TABLE IF EXISTS RecordVersions;"
    "DROP TABLE IF EXISTS RecordVersionsEpoch;"
    "CREATE TABLE RecordVersions (RecordId INTEGER PRIMARY KEY, version INTEGER NOT NULL);"
    "CREATE INDEX RecordVersionsByVersion ON RecordVersions (version);"
    "CREATE TABLE RecordVersionsEpoch (epoch INTEGER NOT NULL);"
    "INSERT INTO RecordVersionsEpoch (epoch) VALUES (random());"
    "CREATE TRIGGER RecordVersionsAfterInsert AFTER INSERT ON Tab_DB_Delphi_10 BEGIN"
    " INSERT OR REPLACE INTO RecordVersions (RecordId, version)"
    "  SELECT NEW.rowid, ifnull(max(version), 0) + 1 FROM RecordVersions;"
    " END;"
    // A change of the date or the attachment alone is none of a search's business.
    "CREATE TRIGGER RecordVersionsAfterUpdate AFTER UPDATE ON Tab_DB_Delphi_10"
    " WHEN OLD.rowid IS NOT NEW.rowid OR OLD.Imya_vetok IS NOT NEW.Imya_vetok"
    " OR OLD.Opisanie IS NOT NEW.Opisanie OR OLD.Texty IS NOT NEW.Texty BEGIN"
    " INSERT OR REPLACE INTO RecordVersions (RecordId, version)"
    "  SELECT OLD.rowid, ifnull(max(version), 0) + 1 FROM RecordVersions;"
    " INSERT OR REPLACE INTO RecordVersions (RecordId, version)"
    "  SELECT NEW.rowid, ifnull(max(version), 0) + 1 FROM RecordVersions;"
    " END;"
    "CREATE TRIGGER RecordVersionsAfterDelete AFTER DELETE ON Tab_DB_Delphi_10 BEGIN"
    " INSERT OR REPLACE INTO RecordVersions (RecordId, version)"
    "  SELECT OLD.rowid, ifnull(max(version), 0) + 1 FROM RecordVersions;"
    " END;";

struct Parts {
    int triggers = 0;
    bool versions = false;
    bool epoch = false;
    bool whole() const { return triggers == 3 && versions && epoch; }
};

Parts partsOf(const SqlcipherConnection& connection) {
    SqlStatement select = connection.prepare(
        "SELECT type, name FROM sqlite_master WHERE (type = 'trigger' AND tbl_name = "
        "'Tab_DB_Delphi_10' AND name IN ('RecordVersionsAfterInsert', "
        "'RecordVersionsAfterUpdate', 'RecordVersionsAfterDelete')) OR (type = 'table' AND "
        "name IN ('RecordVersions', 'RecordVersionsEpoch'))");
    Parts parts;
    while (select.step()) {
        const QByteArray name = select.columnText(1);
        if (select.columnText(0) == "trigger") {
            ++parts.triggers;
        } else if (name == "RecordVersions") {
            parts.versions = true;
        } else {
            parts.epoch = true;
        }
    }
    return parts;
}

void rollBackQuietly(const SqlcipherConnection& connection) {
    if (!sqlite3_get_autocommit(connection.handle())) {
        sqlite3_exec(connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

// The epoch, or none when the log's table holds no single one.
std::optional<qint64> epochOf(const SqlcipherConnection& connection) {
    SqlStatement select = connection.prepare("SELECT epoch FROM RecordVersionsEpoch");
    if (!select.step()) {
        return std::nullopt;
    }
    const qint64 epoch = select.columnInt64(0);
    return select.step() ? std::nullopt : std::optional(epoch);
}

qint64 lastVersion(const SqlcipherConnection& connection) {
    SqlStatement select = connection.prepare("SELECT ifnull(max(version), 0) FROM RecordVersions");
    select.step();
    return select.columnInt64(0);
}

} // namespace

bool ensure(const SqlcipherConnection& connection) {
    try {
        if (partsOf(connection).whole()) {
            return true;
        }
        connection.execute("BEGIN IMMEDIATE");
        // Another program may have made it meanwhile.
        if (!partsOf(connection).whole()) {
            connection.execute(kMake);
        }
        connection.execute("COMMIT");
        return true;
    } catch (const Failure&) {
        rollBackQuietly(connection);
        return false;
    }
}

void keepWritable(const SqlcipherConnection& connection) {
    try {
        const Parts parts = partsOf(connection);
        if (parts.triggers == 0 || parts.versions) {
            return;
        }
        connection.execute("BEGIN IMMEDIATE;"
                           "DROP TRIGGER IF EXISTS RecordVersionsAfterInsert;"
                           "DROP TRIGGER IF EXISTS RecordVersionsAfterUpdate;"
                           "DROP TRIGGER IF EXISTS RecordVersionsAfterDelete;"
                           "COMMIT;");
    } catch (const Failure&) {
        rollBackQuietly(connection);
    }
}

std::optional<Position> position(const SqlcipherConnection& connection) {
    if (!partsOf(connection).whole()) {
        return std::nullopt;
    }
    const std::optional<qint64> epoch = epochOf(connection);
    if (!epoch) {
        return std::nullopt;
    }
    return Position{*epoch, lastVersion(connection)};
}

std::optional<std::vector<ChangedRow>> changesSince(const SqlcipherConnection& connection,
                                                    Position& position, int most) {
    connection.execute("BEGIN");
    try {
        std::optional<std::vector<ChangedRow>> changes;
        const std::optional<Position> now = infobase::search::change_log::position(connection);
        if (now && now->epoch == position.epoch && now->version >= position.version) {
            SqlStatement count =
                connection.prepare("SELECT count(*) FROM RecordVersions WHERE version > ?");
            count.bindInt64(1, position.version);
            count.step();
            if (count.columnInt64(0) <= most) {
                SqlStatement rows = connection.prepare(
                    "SELECT v.RecordId, t.rowid IS NOT NULL, t.Imya_vetok, t.Opisanie, t.Texty "
                    "FROM RecordVersions v LEFT JOIN Tab_DB_Delphi_10 t ON t.rowid = v.RecordId "
                    "WHERE v.version > ?");
                rows.bindInt64(1, position.version);
                changes.emplace();
                while (rows.step()) {
                    const bool present = rows.columnInt64(1) != 0;
                    changes->push_back(
                        ChangedRow{rows.columnInt64(0), present,
                                   present ? QString::fromUtf8(rows.columnText(2)) : QString(),
                                   present ? rows.columnText(3) : QByteArray(),
                                   present ? rows.columnText(4) : QByteArray()});
                }
                position = *now;
            }
        }
        connection.execute("COMMIT");
        return changes;
    } catch (...) {
        rollBackQuietly(connection);
        throw;
    }
}

} // namespace infobase::search::change_log
