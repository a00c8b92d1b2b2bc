#pragma once

#include "infobase/wholefile/FileCopy.h"

#include <QString>

namespace infobase {

class SqlcipherConnection;

// Copies the base file behind an open connection, byte for byte, into the empty target
// descriptor, and returns how many branch records the copied state holds.
//
// The copy is a consistent snapshot: it is taken inside a read transaction of the
// connection, whose shared lock keeps every other process from writing the base until the
// last byte is copied. The bytes are copied in the kernel from a descriptor SQLite itself
// holds on the file, so no other descriptor of the base is ever opened or closed (closing
// one would drop every lock SQLite holds on it). The pages stay as they are, encrypted with
// the base's password, so the copy opens with the same password. Copying bytes rather than
// pages through SQLite's backup interface spares decrypting and encrypting every page again,
// which makes that interface many times slower than the disk.
//
// The connection must not be inside a transaction of its own. Throws Failure.
qint64 copyBaseSnapshot(const SqlcipherConnection& base, int target, const QString& targetName,
                        const CopyProgress& progress);

// How many branch records the base holds.
qint64 branchRecordCount(const SqlcipherConnection& base);

} // namespace infobase
