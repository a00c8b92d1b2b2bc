// Start and shut-down of the main window: the application folder and the logon name, the
// Temp folder, the splash, the tree file, and the removal of Temp at the end.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/TreeFile.h"
#include "platform/Folders.h"
#include "platform/LogonName.h"
#include "ui/Form_Glavn.h"
#include "ui/Form_zastavka.h"
#include "ui/GeneralErrorReport.h"

#include <QCloseEvent>
#include <QDir>
#include <QPlainTextEdit>
#include <QTimer>

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
    platform::createPrivateFolder(paths.tempFolder());
    Timer1->start();
    Form_zastavka->exec();
    Memo_opisanie->clear();

    try {
        if (infobase::loadTreeFileAtStartUp(paths.treeFile(), TreeView1State, TreeNodes) ==
            infobase::TreeFileLoad::Missing) {
            showMessage(QStringLiteral("Возможно Вы в первый раз открываете приложение.\r"
                                       "Не найден файл: TreeView.dat.\r"
                                       "Конфигурация дерева останется старой.\r"
                                       "Вы можете снова её создать и сохранить."));
        }
    } catch (const Failure& failure) {
        // The unreadable file is already kept aside; the window is shown all the same.
        applyTreeViewState();
        ui::showGeneralErrorReport(failure.message());
        return;
    }
    applyTreeViewState();
}

void TForm_Glavn::Timer1Timer() {
    Form_zastavka->close();
    Timer1->stop();
}

void TForm_Glavn::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
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
