#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace infobase {

class SqlcipherConnection;

// The side tables of the base that keep what the undo history may have to bring back: the
// images of branch records as they were before a change (an attachment of any size
// included), and which steps changed the tree file (whose earlier bytes wait in a file beside
// it). The record table itself is never altered. Every function runs inside the caller's
// write transaction, unless it says otherwise; failures throw (DatabaseFailure).
namespace undo_tables {

// Drops what an earlier run left and makes the tables empty again, in a transaction of its
// own.
void recreate(const SqlcipherConnection& connection);
// Drops the tables, in a transaction of its own; a failure is ignored (the next start drops
// them).
void drop(const SqlcipherConnection& connection);

// Keeps the record row as it now is under the step, unless the step keeps that row already;
// `added`: the row did not exist before the step (it was just inserted).
void keepRow(const SqlcipherConnection& connection, qint64 step, qint64 rowId, bool added);
// Notes that the step changed the tree file.
void keepTree(const SqlcipherConnection& connection, qint64 step);

// The record rows a step keeps, and whether it changed the tree file.
std::vector<qint64> keptRows(const SqlcipherConnection& connection, qint64 step);
bool keepsTree(const SqlcipherConnection& connection, qint64 step);

// Exchanges the record row with the step's image of it: the row becomes what the image held
// (or goes, when the row did not exist then) and the image what the row held. The row's key
// stays the same.
void swapRow(const SqlcipherConnection& connection, qint64 step, qint64 rowId);
// The name the record row now holds; std::nullopt when there is no such row.
std::optional<QString> rowName(const SqlcipherConnection& connection, qint64 rowId);

// The name the step's image of the row holds; std::nullopt when the row did not exist then.
std::optional<QString> keptName(const SqlcipherConnection& connection, qint64 step, qint64 rowId);
// Whether another row of the record table than rowId carries that name.
bool nameTakenByOtherRow(const SqlcipherConnection& connection, const QString& name, qint64 rowId);

// A number that changes whenever another connection (another program) commits a change.
qint64 othersVersion(const SqlcipherConnection& connection);

// A short fingerprint of the record row as it now is (its fields and the size of its
// attachment), or of its absence: tells whether anyone changed the row since.
QByteArray rowFingerprint(const SqlcipherConnection& connection, qint64 rowId);

// Removes what the steps keep, inside the caller's transaction.
void removeSteps(const SqlcipherConnection& connection, const std::vector<qint64>& steps);
// The same outside any transaction, in one of its own: a failure is ignored, and what stays
// is dropped by the next start.
void forgetSteps(const SqlcipherConnection& connection, const std::vector<qint64>& steps);

} // namespace undo_tables
} // namespace infobase
