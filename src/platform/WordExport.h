#pragma once

#include <QString>

namespace platform {

// What a Word export puts into its document, in order: the branch name as the first
// paragraph, an empty paragraph, the text with each line break starting a paragraph, and
// the signature line "Вывел:  (<user>);   Дата: <date>".
struct WordExport {
    QString name;
    QString text;
    QString userName;
    QString date;
};

QString signatureLine(const QString& userName, const QString& date);

// The file an export chosen under `path` is saved as: a name ending in ".doc" or ".docx"
// (in any letter case) as it is, any other with ".docx" added, so that the document is
// known for one by its name ("Заметки", "Протокол 10.12").
QString exportFilePath(const QString& path);

// Writes the export as a DOCX document in place of `path`, whole or not at all: A4
// portrait with margins of 20 pt top, 15 pt bottom, 90 pt left and 10 pt right; everything
// Arial 12 pt bold, not underlined, left aligned and black, except the signature line, which
// is pink (FF00FF). Spelling and grammar marks are hidden in the document. Throws Failure.
void saveWordExport(const WordExport& content, const QString& path);

} // namespace platform
