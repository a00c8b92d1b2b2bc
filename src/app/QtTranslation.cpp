#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The words Qt's dialogs show that its Russian catalogue does not hold: the kinds in the file
// dialog's list ("Folder") and the colour in the font dialog ("Color"). Asked before the
// catalogue, it answers only these.
class MissingQtWords : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        static const struct {
            const char* context;
            const char* source;
            const char* russian;
        } words[] = {
            {"QAbstractFileIconProvider", "Folder", "Папка"},
            {"QAbstractFileIconProvider", "Drive", "Диск"},
            {"QAbstractFileIconProvider", "File", "Файл"},
            {"QAbstractFileIconProvider", "%1 File", "Файл %1"},
            {"QAbstractFileIconProvider", "Shortcut", "Ярлык"},
            {"QColorDialog", "Color", "Цвет"},
            {"QPlatformTheme", "OK", "ОК"},
        };
        for (const auto& word : words) {
            if (qstrcmp(context, word.context) == 0 && qstrcmp(sourceText, word.source) == 0) {
                return QString::fromUtf8(word.russian);
            }
        }
        return {};
    }
};

} // namespace

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
    // Installed last, asked first.
    return QCoreApplication::installTranslator(translator) &&
           QCoreApplication::installTranslator(new MissingQtWords(&application));
}
