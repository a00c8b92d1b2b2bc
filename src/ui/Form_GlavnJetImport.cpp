// Before the connect: a base left by the Windows program in Data is recognised and, when the
// user agrees, brought across into the program's own base by the command-line tool.
#include "infobase/AppPaths.h"
#include "infobase/wholefile/JetHeader.h"
#include "platform/QuorlentTool.h"
#include "skin/qsMessages.h"
#include "ui/Form_Glavn.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QRegularExpression>

namespace {

// What the tool's lines say: the share done so far, the records brought across, the name the
// Windows file is kept under.
struct ImportReport {
    QString records;
    QString keptFile;

    void read(const QString& line, QProgressBar* bar) {
        static const QRegularExpression percent(QStringLiteral("\\((\\d+) %\\)$"));
        static const QRegularExpression done(QStringLiteral("^Готово: перенесено записей: (\\d+)"));
        static const QRegularExpression kept(
            QStringLiteral("^Файл базы Windows сохранён без изменений: (.+)$"));
        if (const QRegularExpressionMatch m = percent.match(line); m.hasMatch()) {
            bar->setValue(m.captured(1).toInt());
        } else if (const QRegularExpressionMatch m = done.match(line); m.hasMatch()) {
            records = m.captured(1);
        } else if (const QRegularExpressionMatch m = kept.match(line); m.hasMatch()) {
            keptFile = QFileInfo(m.captured(1)).fileName();
        }
    }
};

} // namespace

bool TForm_Glavn::prepareWindowsBase(QString* importedNote) {
    const QString base = infobase::AppPaths{Base}.baseFile();
    const infobase::AccessFileKind kind = infobase::accessFileKind(base);
    if (kind == infobase::AccessFileKind::NotAccess) {
        return true;
    }
    if (kind != infobase::AccessFileKind::Jet4) {
        showMessage(QStringLiteral("Файл Data/Quorlent.mdb — %1.\rПрограмма открывает свою базу "
                                   "и может перенести записи из базы Windows-версии (Jet 4.0), "
                                   "но не из этой: сохраните её в Access в формате "
                                   "Access 2000–2003 и подключите базу снова.")
                        .arg(infobase::accessFileKindName(kind)));
        return false;
    }
    const int answer = MessageDl->MessageDlg(
        QStringLiteral("Файл Data/Quorlent.mdb — база Windows-версии программы (Jet 4.0).\r"
                       "Перенести записи в базу этой программы?\r"
                       "Файл базы Windows останется без изменений рядом с новой базой."),
        mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0);
    if (answer != mrYes) {
        // The connect goes on with the file as it is, and fails as it always has.
        return true;
    }
    ImportReport report;
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    const platform::ToolResult result =
        platform::runQuorlentTool({QStringLiteral("base"), QStringLiteral("import"), base, base},
                                  [this, &report](const QString& line) {
                                      report.read(line, ProgressBar1);
                                      PaintPendingWork();
                                  });
    ProgressBar1->hide();
    if (!result.succeeded) {
        showMessage(QStringLiteral("Записи из базы Windows не перенесены, файлы не изменены.\r%1")
                        .arg(result.message));
        return false;
    }
    *importedNote = QStringLiteral("Из базы Windows перенесено записей: %1.\r"
                                   "Её файл сохранён без изменений как Data/%2.")
                        .arg(report.records, report.keptFile);
    return true;
}
