// The connect command: opens the record store for the rest of the run and brings up the
// tree.
#include "infobase/AppPaths.h"
#include "infobase/search/RecordChangeLog.h"
#include "ui/ConnectProgress.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"

#include <QCoreApplication>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>

void TForm_Glavn::Button_podluchit_bazyClick() {
    Button_podluchit_bazy->setText(QStringLiteral("Подождите......"));
    // Paint the waiting caption before the blocking work.
    Button_podluchit_bazy->repaint();
    QCoreApplication::processEvents();

    try {
        QString importedNote;
        if (!prepareWindowsBase(&importedNote)) {
            FormResize();
            Button_podluchit_bazy->setText(QStringLiteral("Подключить базу"));
            return;
        }
        // Opens Base + "/Data/Quorlent.mdb" for reading and writing, sharing it with other
        // programs, keyed with the base's password (which the connection does not keep);
        // then Query_Glav with its first row current, then Query_Parole.
        // Clicks and keys wait while the bar repaints, so no command starts in between.
        ConnectProgress progress(*ProgressBar1, [this] { PaintPendingWork(); });
        Store.connect(infobase::AppPaths{Base}, [&progress](double done) { progress.tell(done); });
        infobase::search::change_log::keepWritable(Store.ADOConnection1);
        const QString treeFileRead = finishTreeCommit();
        startUndoHistory();
        startTreeRewriter(treeFileRead);
        TreeView1->show();
        Button_podluchit_bazy->hide();
        Image1->show();
        N1->menuAction()->setEnabled(true);
        if (!importedNote.isEmpty()) {
            showMessage(importedNote);
        }
    } catch (...) {
        showMessage(QStringLiteral("Не удалось подключится."));
    }
    FormResize();
    Button_podluchit_bazy->setText(QStringLiteral("Подключить базу"));
}
