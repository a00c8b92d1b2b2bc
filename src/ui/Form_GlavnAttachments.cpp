// The attachment commands: attach a file to a branch's own record, and open a branch's
// attachment with the desktop's application for its kind.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/store/AttachmentFiles.h"
#include "infobase/store/AttachmentPresence.h"
#include "platform/DesktopServices.h"
#include "ui/FileDialogColumns.h"
#include "ui/FocusReturn.h"
#include "ui/Form_Glavn.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

const QString kAttachCaption = QStringLiteral("    Прикрепить файл");

QString noBranchSelected() {
    return QStringLiteral("Вы не выбрали в какой ветке делаем подветку!");
}

} // namespace

void TForm_Glavn::createAttachmentCommands() {
    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    showWholeFileColumns(OpenDialog1);
    OpenDialog1->setNameFilters(
        {QStringLiteral("PDF файлы (*.pdf)"), QStringLiteral("DOCX файлы (*.docx)"),
         QStringLiteral("JPG файлы (*.jpg)"), QStringLiteral("RAR файлы (*.rar)")});
    connect(SpeedButton_File, &QToolButton::clicked, this, &TForm_Glavn::SpeedButton_FileClick);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm_Glavn::SpeedButton4Click);
}

void TForm_Glavn::SpeedButton_FileClick() {
    const FocusReturn focusBack(TreeView1); // after the file dialog and the messages
    if (TreeNodes.Selected() == nullptr) {
        showMessage(noBranchSelected());
        return;
    }
    OpenDialog1->setDirectory(Base);
    // A file still selected from an earlier use would win over a name the user types
    // (one hidden by the current filter, say): every use starts with none selected.
    for (QAbstractItemView* view : OpenDialog1->findChildren<QAbstractItemView*>()) {
        view->clearSelection();
    }
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) {
        showMessage(QStringLiteral("Ошибка ввода!"));
        return;
    }
    const QString chosen = OpenDialog1->selectedFiles().constFirst();

    // Only the four kinds can be shown or opened again; their bytes would otherwise be
    // stored under whatever kind the record had.
    const std::optional<qint32> kind = infobase::attachmentKindOfFileName(chosen);
    if (!kind) {
        showMessage(QStringLiteral("Можно прикрепить только файлы PDF, DOCX, JPG или RAR!"));
        return;
    }
    if (QFileInfo(chosen).size() > infobase::BranchQuery::maxAttachmentSize()) {
        showMessage(QStringLiteral("Файл слишком большой! Можно прикрепить файл не больше %1 байт.")
                        .arg(QLocale().toString(infobase::BranchQuery::maxAttachmentSize())));
        return;
    }
    const QString name = Edit_Mame_Vetok->text();
    if (!Query_Glav.LocateOwn(name)) {
        showMessage(
            QStringLiteral("У ветки «%1» нет своей записи в базе. Файл не прикреплён.").arg(name));
        return;
    }

    const auto undo = recordUndo(infobase::UndoCommand::Attach, name);
    SpeedButton_File->setText(QStringLiteral("Подождите......"));
    PaintPendingWork();
    QFile file(chosen);
    try {
        if (!file.open(QIODevice::ReadOnly)) {
            throw Failure(
                QStringLiteral("Cannot open file \"%1\". %2").arg(chosen, file.errorString()));
        }
        Query_Glav.Edit();
        // The bytes first: a refused or failed read leaves the kind as it was.
        Query_Glav.FieldByName(QStringLiteral("File")).LoadFromStream(file);
        Query_Glav.FieldByName(QStringLiteral("RashirenieFile")).SetAsInteger(*kind);
        PaintPendingWork();
        Query_Glav.Post();
    } catch (...) {
        // A change that could not be stored is dropped, so that the store stays usable and
        // the record keeps its earlier attachment.
        Query_Glav.Cancel();
        SpeedButton_File->setText(kAttachCaption);
        throw;
    }
    showMessage(QStringLiteral("Файл добавлен в базу!"));
    SpeedButton_File->setText(kAttachCaption);
}

void TForm_Glavn::SpeedButton4Click() {
    if (TreeNodes.Selected() == nullptr) {
        showMessage(noBranchSelected());
        return;
    }
    const QString noDocument = QStringLiteral("В этой ветке документа нет.");
    if (!Query_Glav.LocateOwn(Edit_Mame_Vetok->text())) {
        showMessage(noDocument);
        return;
    }
    const infobase::BranchField& attachment = Query_Glav.FieldByName(QStringLiteral("File"));
    if (!infobase::hasAttachment(attachment)) {
        showMessage(noDocument);
        return;
    }
    const qint32 kind = Query_Glav.FieldByName(QStringLiteral("RashirenieFile")).AsInteger();
    const QString fileName = infobase::extractedAttachmentName(kind);
    if (fileName.isEmpty()) {
        showMessage(QStringLiteral("Тип прикреплённого файла неизвестен (код %1). Файл не открыт.")
                        .arg(kind));
        return;
    }
    if (!prepareTempFolder()) {
        return;
    }
    Path = infobase::AppPaths{Base}.tempFolder() + fileName;
    infobase::extractAttachment(attachment, Path);
    if (!QFileInfo::exists(Path)) {
        showMessage(QStringLiteral("Файл") + Path + QStringLiteral(" в папке Data не найден."));
        return;
    }
    // The opener tells only when it has ended whether the desktop had an application for
    // the file; the window stays usable meanwhile.
    platform::openFile(Path, this, [this, path = Path](bool opened) {
        if (!opened) {
            reportNoApplication(path);
        }
    });
}

void TForm_Glavn::reportNoApplication(const QString& path) {
    // The answer can come while a command lets events through between its steps; its
    // message waits until that command has ended.
    if (paintingPendingWork_) {
        QTimer::singleShot(100, this, [this, path] { reportNoApplication(path); });
        return;
    }
    showMessage(QStringLiteral("Нет программы, которая открывает файл %1.").arg(path));
}
