#pragma once

#include <QJsonObject>
#include <QString>
#include <ostream>

// Reads a saved word-processing document back with a real reader (python-docx) and returns
// what it found: "paragraphs" (text, alignment, runs with font, size, bold, colour and
// underline), "sections" (orientation, page size and margins in points), "parts" and the
// proofing settings. Fails the current test when the reader cannot read it.
QJsonObject readDocxBack(const QString& path);

// The paragraphs' texts, in order.
QStringList paragraphTexts(const QJsonObject& document);

// Whether `unzip -t` finds the package sound.
bool unzipTestPasses(const QString& path);

// Texts in failure messages as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
