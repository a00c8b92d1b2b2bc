#pragma once

#include "ToolCommands.h"

namespace tool {

// "base create FILE": a new, empty base (both tables, encrypted with the base's password);
// an existing file is never overwritten.
// "base list FILE": one JSON object a line per record, in key order, with the keys Dat,
// Imya_vetok, Opisanie, Texty, RashirenieFile, FileSize and FileSha256 (lower-case hex of
// the attachment's bytes, "" when there are none). Fields that hold no value are shown as
// the program reads them: "" and 0. The base is opened read-only.
int runBaseCommand(const QStringList& args, Streams streams);

} // namespace tool
