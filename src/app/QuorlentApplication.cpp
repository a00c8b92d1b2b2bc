#include "app/QuorlentApplication.h"

#include "app/QtTranslation.h"
#include "common/Failure.h"
#include "ui/GeneralErrorReport.h"

QuorlentApplication::QuorlentApplication(int& argc, char** argv) : QApplication(argc, argv) {
    installQtRussianTranslation(*this);
}

bool QuorlentApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const SilentAbort&) {
    } catch (const Failure& failure) {
        ui::showGeneralErrorReport(failure.message());
    } catch (const std::exception& error) {
        ui::showGeneralErrorReport(QString::fromLocal8Bit(error.what()));
    }
    return false;
}
