#pragma once

#include "infobase/AppPaths.h"

namespace infobase {

// Clears what a run of the program that was killed half way can leave in the application
// folder. Only for the one program working with the folder: another one's save in progress
// would look the same.
//
// - The tree file is never saved under a name of chance: a command's new tree file has one
//   fixed name that the connect settles. A file in Data named like a save's temporary
//   ("TreeView.dat." and six letters) may be a user's own copy, so Data is left alone.
// - A backup leaves its temporary copies in the backup folder, and a replacement of the
//   earlier copies that had begun is completed (finishReplacements), so that the copies
//   there always come from one backup. Whatever cannot be done now waits for the next backup,
//   which tries again and reports it.
void clearKilledRunLeftovers(const AppPaths& paths);

} // namespace infobase
