#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace infobase::search {

// The letter case a search ignores, the way a Russian reader expects: every character is
// replaced by its simple case folding (Cyrillic as Latin), and "ё" by "е". A character whose
// folding would take another number of bytes in UTF-8 (a handful of signs such as the Kelvin
// sign) is kept as it is, so a folded text has the same length as the original in UTF-8 and
// in UTF-16, and a position found in the folded text is the same position in the original.

char32_t foldForSearch(char32_t c);

// The folded UTF-16 text, of the original's length.
QString foldedText(QStringView text);

// Appends the folded text as UTF-8. Bytes that are not valid UTF-8 are copied unchanged.
void appendFoldedUtf8(QByteArrayView utf8, QByteArray& out);
void appendFoldedUtf8(QStringView text, QByteArray& out);

// The folded query as UTF-8, ready to be looked for in folded texts; zero characters, which
// separate the texts searched, are left out.
QByteArray foldedQuery(QStringView query);

} // namespace infobase::search
