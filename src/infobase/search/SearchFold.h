#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace infobase::search {

// What a search ignores, the way a Russian reader expects: letter case (every character is
// replaced by its simple case folding, Cyrillic as Latin), "ё" against "е", and accents:
// a letter with accents counts as the letter without them ("é" as "e"), and accents written
// as separate marks are left out. "й" stays a letter of its own, as it is to a Russian
// reader. A character whose folding would be longer in UTF-8 or take another number of
// code units in UTF-16 (a handful of signs such as the Kelvin sign) is kept as it is, so a
// folded text is never longer than the original.

// What foldForSearch gives for a mark that a search leaves out.
inline constexpr char32_t kFoldedAway = 0x110000;

char32_t foldForSearch(char32_t c);

// The folded UTF-16 text; shorter than the original by the marks left out. TextMatches.h
// finds a folded query's places in the original.
QString foldedText(QStringView text);

// Appends the folded text as UTF-8. Bytes that are not valid UTF-8 are copied unchanged.
void appendFoldedUtf8(QByteArrayView utf8, QByteArray& out);
void appendFoldedUtf8(QStringView text, QByteArray& out);

// The folded query as UTF-8, ready to be looked for in folded texts; zero characters, which
// separate the texts searched, are left out.
QByteArray foldedQuery(QStringView query);

} // namespace infobase::search
