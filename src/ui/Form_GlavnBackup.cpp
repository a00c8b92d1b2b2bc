// The backup command: copies the base file and the tree file into the backup folder,
// replacing the earlier copies only once both new ones are complete.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/wholefile/BackupCopies.h"
#include "ui/Form_Glavn.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <climits>

namespace {

bool isFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

// How far sizes are shifted right so that the largest fits the bar's int range.
int scaleShift(qint64 size) {
    int shift = 0;
    while ((size >> shift) > INT_MAX) {
        ++shift;
    }
    return shift;
}

} // namespace

void TForm_Glavn::N_save_copyClick() {
    const infobase::AppPaths paths{Base};
    // An existing folder is fine; one that cannot be made shows when the copies are made.
    QDir().mkpath(paths.backupFolder());
    finishTreeCommitBeforeBackup();
    if (!isFile(paths.baseFile()) || !isFile(paths.treeFile())) {
        showMessage(QStringLiteral("Не найдены файлы: Quorlent.mdb и TreeView.dat"));
        throw SilentAbort();
    }
    ProgressBar1->show();
    try {
        infobase::BackupCopies copies(paths.baseFile(),
                                      Store.Connected() ? &Store.ADOConnection1 : nullptr,
                                      paths.treeFile());
        CopyFileWithProgressBar1(copies, paths.baseFile(),
                                 paths.backupFolder() + QStringLiteral("Quorlent.mdb"));
        CopyFileWithProgressBar1(copies, paths.treeFile(),
                                 paths.backupFolder() + QStringLiteral("TreeView.dat"));
        copies.replaceEarlier();
    } catch (...) {
        ProgressBar1->hide();
        throw;
    }
    showMessage(QStringLiteral("Копии файлов баз дерева\rскопированы в папку Backup copies."));
    ProgressBar1->hide();
    QCoreApplication::processEvents();
}

void TForm_Glavn::CopyFileWithProgressBar1(infobase::BackupCopies& copies, const QString& source,
                                           const QString& destination) {
    copies.add(source, destination, [this](qint64 copied, qint64 total) {
        const int shift = scaleShift(total);
        ProgressBar1->setRange(0, int(total >> shift));
        ProgressBar1->setValue(int(copied >> shift));
        // The bar repaints while the copy goes on; clicks and keys wait until it is done,
        // so no other command runs in between.
        PaintPendingWork();
    });
}
