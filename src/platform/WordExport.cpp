#include "platform/WordExport.h"

#include "platform/DocxWriter.h"

#include <QFileInfo>

namespace platform {
namespace {

constexpr QRgb kBlack = 0x000000;
constexpr QRgb kPink = 0xFF00FF;

// A4, portrait.
constexpr DocxPage kPage{595.3, 841.9, 20, 15, 90, 10};

} // namespace

QString exportFilePath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("doc"), Qt::CaseInsensitive) == 0 ||
        suffix.compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0) {
        return path;
    }
    return path + QStringLiteral(".docx");
}

QString signatureLine(const QString& userName, const QString& date) {
    return QStringLiteral("Вывел:  (") + userName + QStringLiteral(");   Дата: ") + date;
}

void saveWordExport(const WordExport& content, const QString& path) {
    DocxWriter document(kPage, DocxFont{QStringLiteral("Arial"), 12, true});
    document.hideProofingMarks();
    document.addParagraphs(content.name, kBlack);
    document.addParagraphs(QString(), kBlack);
    document.addParagraphs(content.text, kBlack);
    document.addParagraphs(signatureLine(content.userName, content.date), kPink);
    document.save(path);
}

} // namespace platform
