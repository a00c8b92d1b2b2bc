#pragma once

#include <QString>

namespace infobase {

// What the first bytes of a file say it is, as far as the Windows program's database engine
// goes: its bases begin with a fixed signature and a version byte.
enum class AccessFileKind {
    NotAccess,  // no such signature: the program's own base, or anything else
    Jet3,       // Access 97
    Jet4,       // Access 2000-2003: the Windows program's own base format
    Ace,        // Access 2007 and later (.accdb)
    UnknownJet, // the signature, with a version byte no known engine writes
};

// Reads the signature at the start of the file; a file that cannot be read or is shorter
// than a signature is NotAccess.
AccessFileKind accessFileKind(const QString& path);

// A Russian phrase naming the kind, for messages: "база Access 97 (Jet 3.0)".
QString accessFileKindName(AccessFileKind kind);

} // namespace infobase
