#include "ui/GeneralErrorReport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace ui {

QString programTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void showGeneralErrorReport(const QString& text) {
    QMessageBox box(QMessageBox::Critical, programTitle(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace ui
