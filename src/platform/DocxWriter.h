#pragma once

#include <QByteArray>
#include <QRgb>
#include <QString>
#include <QStringView>
#include <QXmlStreamWriter>

namespace platform {

// A portrait page; sizes in points.
struct DocxPage {
    double width = 0;
    double height = 0;
    double topMargin = 0;
    double bottomMargin = 0;
    double leftMargin = 0;
    double rightMargin = 0;
};

// The font of every character of the document, paragraph marks included.
struct DocxFont {
    QString name;
    int points = 0;
    bool bold = false; // underline is always off
};

// Writes a word-processing document (the DOCX package) that readers open by its content:
// plain paragraphs, all left aligned in one font, each paragraph with a colour of its own,
// on one page setup. No styles, spacing, headers or footers of its own.
//
// Paragraphs go straight into the main part as they are added, so a long text is held once
// as markup and not again as paragraphs.
class DocxWriter {
public:
    DocxWriter(const DocxPage& page, DocxFont font);
    DocxWriter(const DocxWriter&) = delete;
    DocxWriter& operator=(const DocxWriter&) = delete;

    // Asks word processors not to mark spelling and grammar errors in this document.
    void hideProofingMarks() { hideProofingMarks_ = true; }

    // Appends the text as paragraphs in the given colour: each line break (CR LF, LF, CR,
    // and the paragraph and line separators U+2029 and U+2028) starts a new paragraph, so
    // an empty text is one empty paragraph. A tab stays a tab; other control characters and
    // whatever else XML cannot carry are dropped.
    void addParagraphs(QStringView text, QRgb colour);

    // Ends the document and returns the whole package. The writer takes nothing after this.
    QByteArray package();

    // package(), saved in place of `path` whole or not at all. Throws Failure.
    void save(const QString& path);

private:
    void writeParagraph(QStringView line, const QString& colour);
    void writeRunProperties(const QString& colour);
    void writeSection();

    DocxPage page_;
    DocxFont font_;
    QString halfPoints_;
    bool hideProofingMarks_ = false;
    QByteArray document_;
    QXmlStreamWriter xml_;
    QString clean_; // the line being written, without what XML cannot carry
};

} // namespace platform
