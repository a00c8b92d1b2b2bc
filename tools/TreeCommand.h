#pragma once

#include "ToolCommands.h"

namespace tool {

// "tree dump FILE": reads FILE as the program reads its tree file at start-up and prints
// {"nodes":[…]} on one line, each node an object with the keys text, imageIndex,
// selectedIndex, stateIndex, overlayIndex, expandedImageIndex, data, enabled, hasChildren
// and children, in that order. A failure prints the program's own message on stderr and
// exits with 1; the file is never changed.
// "tree write JSON FILE [--client-height N]": builds a tree from JSON of the same shape
// (omitted keys take a new node's values) and writes FILE as the program does with its tree
// view in a window of client height N (732 when not given). A FILE in the Data folder of an
// application folder the program is running with is refused and left as it is.
int runTreeCommand(const QStringList& args, Streams streams);

} // namespace tool
