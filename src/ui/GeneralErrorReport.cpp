#include "ui/GeneralErrorReport.h"

#include "ui/FocusReturn.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace ui {

QString programTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void showGeneralErrorReport(const QString& text) {
    const FocusReturn focusBack(nullptr);
    QMessageBox box(QMessageBox::Critical, programTitle(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace ui
