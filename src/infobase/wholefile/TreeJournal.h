#pragma once

#include "infobase/tree/TreeChange.h"
#include "infobase/tree/TreeViewState.h"

#include <QByteArray>
#include <vector>

namespace infobase {

class SqlcipherConnection;

// The tree's recent changes, kept in a side table of the base so that a change of the tree is
// durable with the record work of its command in one small transaction, without writing the
// whole tree file. The entries apply, in order, on top of the tree file whose digest the base
// holds (the two-file commit's digest); the tree file is rewritten whole later, off the
// window's thread, and the entries it then holds are removed in the transaction that stores
// its digest. The start carries out whatever entries a stopped run left.
namespace tree_journal {

// One commit's changes, and the view state the tree file is to be written with after them.
struct Entry {
    qint64 seq = 0;
    TreeViewState view;
    std::vector<TreeChange> changes;

    friend bool operator==(const Entry&, const Entry&) = default;
};

// An entry as the side table keeps it, and back. decode throws Failure for bytes that are not
// an entry of this format.
QByteArray encode(const TreeViewState& view, const std::vector<TreeChange>& changes);
Entry decode(qint64 seq, const QByteArray& bytes);

// Adds an entry, inside the caller's write transaction (making the table when needed).
void append(const SqlcipherConnection& connection, const TreeViewState& view,
            const std::vector<TreeChange>& changes);
// Every entry, oldest first; none when the table does not exist. Throws DatabaseFailure, or
// Failure for an entry that cannot be decoded.
std::vector<Entry> entries(const SqlcipherConnection& connection);
// Whether any entry waits; false when the table does not exist.
bool any(const SqlcipherConnection& connection);
// Removes the entries up to and including seq (all of them for a negative seq), inside the
// caller's write transaction.
void removeUpTo(const SqlcipherConnection& connection, qint64 seq);

} // namespace tree_journal
} // namespace infobase
