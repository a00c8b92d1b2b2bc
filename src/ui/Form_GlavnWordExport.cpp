// The Word export: the name field and the text pane written into a document that the user
// names, which is then handed to the desktop's application for it.
#include "platform/DesktopServices.h"
#include "platform/LogonName.h"
#include "platform/WordExport.h"
#include "ui/FileDialogColumns.h"
#include "ui/FocusReturn.h"
#include "ui/Form_Glavn.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>

namespace {

// The name the signature line shows: the logon name read at start (never past its
// buffer), or, where that did not fit the buffer or failed, the system's full name.
QString exportUserName(const TForm_Glavn& window) {
    if (!window.BRes) {
        return platform::systemLogonName();
    }
    const auto end = std::find(window.PRes.begin(), window.PRes.end(), u'\0');
    return QString::fromUtf16(window.PRes.data(), end - window.PRes.begin());
}

} // namespace

void TForm_Glavn::Word1Click() {
    const FocusReturn focusBack(RichEdit); // after the save dialog and the messages
    QFileDialog SaveDialog_Word(this, QStringLiteral("Сохранение файла в Word"), QDir::homePath());
    SaveDialog_Word.setObjectName(QStringLiteral("SaveDialog_Word"));
    showWholeFileColumns(&SaveDialog_Word);
    SaveDialog_Word.setOptions(QFileDialog::DontUseNativeDialog |
                               QFileDialog::DontConfirmOverwrite);
    SaveDialog_Word.setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog_Word.setNameFilters(
        {QStringLiteral("DOC_Files (*.doc)"), QStringLiteral("DOCX_Files (*.docx)")});
    SaveDialog_Word.selectFile(Edit_Mame_Vetok->text());
    if (SaveDialog_Word.exec() != QDialog::Accepted) {
        return;
    }
    const QString path = platform::exportFilePath(SaveDialog_Word.selectedFiles().value(0));

    platform::saveWordExport({Edit_Mame_Vetok->text(), RichEdit->document()->toRawText(),
                              exportUserName(*this), platform::todayShortDate()},
                             path);
    // Having no application for the document is no failure: the file is saved.
    platform::openFile(path, this, [](bool) {});
}
