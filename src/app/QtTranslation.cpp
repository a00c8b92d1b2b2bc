#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool installQtRussianTranslation(QCoreApplication& application) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    // Dates, sizes and file kinds in the file dialog's list follow the default locale.
    QLocale::setDefault(russian);
    auto* translator = new QTranslator(&application);
    if (!translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
