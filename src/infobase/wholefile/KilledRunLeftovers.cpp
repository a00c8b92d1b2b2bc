#include "infobase/wholefile/KilledRunLeftovers.h"

#include "common/Failure.h"
#include "infobase/wholefile/ReplacementJournal.h"

#include <QFileInfo>

namespace infobase {

void clearKilledRunLeftovers(const AppPaths& paths) {
    const QString backups = paths.backupFolder();
    if (QFileInfo(backups).isDir()) {
        try {
            finishReplacements(backups, {QFileInfo(paths.baseFile()).fileName(),
                                         QFileInfo(paths.treeFile()).fileName()});
        } catch (const Failure&) {
        }
    }
}

} // namespace infobase
