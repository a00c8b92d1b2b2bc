// Start and shut-down of the main window: the application folder and the logon name, the
// Temp folder, the splash, the tree file, and the removal of Temp at the end.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/wholefile/FileStamp.h"
#include "platform/Folders.h"
#include "platform/LogonName.h"
#include "ui/Form_Glavn.h"
#include "ui/Form_zastavka.h"
#include "ui/GeneralErrorReport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTimer>
#include <optional>

namespace {

infobase::AppPaths pathsOf(const QString& base) {
    return infobase::AppPaths{base};
}

} // namespace

void TForm_Glavn::FormCreate() {
    Base = infobase::AppPaths::fromCurrentDirectory().base;
    Size = kLogonNameCapacity;
    BRes = platform::copyLogonName(platform::systemLogonName(), PRes.data(), &Size);
}

void TForm_Glavn::setVisible(bool visible) {
    // The show step runs before the window first appears on screen.
    if (visible && !isVisible()) {
        FormShow();
    }
    QMainWindow::setVisible(visible);
}

void TForm_Glavn::FormShow() {
    const infobase::AppPaths paths = pathsOf(Base);
    // Temp receives decrypted attachments: readable by this user only.
    const bool tempOwn =
        platform::createPrivateFolder(paths.tempFolder()) != platform::PrivateFolder::NotOwn;
    Timer1->start();

    // The tree file is read while the splash stands, so that the wait after the splash does
    // not grow with the tree; what the reading has to say is shown after the splash, in the
    // order a person expects. An unreadable file is kept aside before anything can write it.
    const QString treeFile = paths.treeFile();
    bool read = false;
    bool missing = false;
    std::optional<QString> failure;
    const auto readTree = [&] {
        read = true;
        try {
            missing = infobase::loadTreeFileAtStartUp(treeFile, TreeView1State, TreeNodes) ==
                      infobase::TreeFileLoad::Missing;
            UndoHistory1.treeFileMatchesView();
            treeFileReadStamp_ = infobase::fileStamp(treeFile);
            TreeNodes.prepareNameCounts(); // for the name check of the first add
        } catch (const Failure& error) {
            failure = error.message();
        }
    };
    {
        const QObject whileSplashStands; // drops the read if the splash closed before it
        QTimer::singleShot(0, &whileSplashStands, readTree);
        Form_zastavka->exec();
    }
    if (!read) {
        readTree();
    }
    Memo_opisanie->clear();
    applyTreeViewState();

    if (!tempOwn) {
        reportTempNotOwn();
    }
    if (missing) {
        showMessage(QStringLiteral("Возможно Вы в первый раз открываете приложение.\r"
                                   "Не найден файл: TreeView.dat.\r"
                                   "Конфигурация дерева останется старой.\r"
                                   "Вы можете снова её создать и сохранить."));
    } else if (failure) {
        // The window is shown all the same, with what the reading left in the tree.
        ui::showGeneralErrorReport(*failure);
    }
}

bool TForm_Glavn::prepareTempFolder() {
    if (platform::createPrivateFolder(pathsOf(Base).tempFolder()) ==
        platform::PrivateFolder::NotOwn) {
        reportTempNotOwn();
        return false;
    }
    return true;
}

void TForm_Glavn::reportTempNotOwn() {
    showMessage(QStringLiteral("Папка %1 принадлежит не Вам, и другие пользователи могут "
                               "подменить в ней файлы.\rПрикреплённые файлы в неё не "
                               "выкладываются. Удалите эту папку.")
                    .arg(QDir::toNativeSeparators(QDir::cleanPath(pathsOf(Base).tempFolder()))));
}

void TForm_Glavn::Timer1Timer() {
    Form_zastavka->close();
    Timer1->stop();
}

void TForm_Glavn::closeEvent(QCloseEvent* event) {
    // A command is half-way (painting its progress, or showing a message after such a
    // pause): shutting down now would remove Temp under it. The close is asked for again
    // once the events of this moment are through, until the command has ended.
    if (paintingPendingWork_ || (closeWaiting_ && QApplication::activeModalWidget() != nullptr)) {
        event->ignore();
        closeWaiting_ = true;
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    closeWaiting_ = false;
    // The tree file gets the changes the base keeps, so that it stands complete on its own
    // (a failure leaves them kept, for the next start to carry out).
    try {
        writeTreeFileNow();
    } catch (const Failure& failure) {
        showTreeFileProblem(infobase::treeFileNotRewrittenNotice(
            infobase::AppPaths{Base}.treeFile(), failure.message()));
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void TForm_Glavn::PaintPendingWork() {
    const bool outer = !paintingPendingWork_;
    paintingPendingWork_ = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (outer) {
        paintingPendingWork_ = false;
    }
}

void TForm_Glavn::FormClose() {
    const QString temp = pathsOf(Base).tempFolder();
    try {
        if (!QDir(temp).exists()) {
            return;
        }
        if (DelFiles(temp)) {
            showMessage(QStringLiteral("Мусор удален."));
            return;
        }
    } catch (...) {
    }
    showMessage(QStringLiteral("Не удалось удалить мусор.\rПолучится следующий раз."));
}

bool TForm_Glavn::DelFiles(const QString& folder) {
    return platform::removeFolderTree(folder);
}
