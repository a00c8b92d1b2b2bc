#include "skin/qsSystemIcon.h"

#include <QApplication>
#include <QStyle>

QPixmap SystemIcon(TMsgDlgType DlgType) {
    QStyle::StandardPixmap which;
    switch (DlgType) {
    case mtWarning:
        which = QStyle::SP_MessageBoxWarning;
        break;
    case mtError:
        which = QStyle::SP_MessageBoxCritical;
        break;
    case mtInformation:
        which = QStyle::SP_MessageBoxInformation;
        break;
    case mtConfirmation:
        which = QStyle::SP_MessageBoxQuestion;
        break;
    default:
        return {};
    }
    return QApplication::style()->standardIcon(which).pixmap(32, 32);
}
