#pragma once

#include "infobase/AppPaths.h"

namespace infobase {

// Clears what a run of the program that was killed half way can leave in the application
// folder. Only for the one program working with the folder: another one's save in progress
// would look the same.
//
// - A save of the tree file leaves its temporary beside it in Data, "TreeView.dat." and six
//   letters or digits, where the file system cannot create unnamed files. It is removed; no
//   other file is touched.
// - A backup leaves its temporary copies in the backup folder, and a replacement of the
//   earlier copies that had begun is completed (finishReplacements), so that the copies
//   there always come from one backup. Whatever cannot be done now waits for the next backup,
//   which tries again and reports it.
void clearKilledRunLeftovers(const AppPaths& paths);

} // namespace infobase
