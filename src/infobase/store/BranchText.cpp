#include "infobase/store/BranchText.h"

namespace infobase {

QString paneTextFromTexty(const QString& texty) {
    QString text = texty;
    text.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString textyFromPaneText(const QString& raw) {
    QString texty;
    texty.reserve(raw.size() + raw.size() / 16);
    for (const QChar c : raw) {
        if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            texty += QLatin1StringView("\r\n");
        } else {
            texty += c;
        }
    }
    return texty;
}

} // namespace infobase
