#include "platform/DocxWriter.h"

#include "common/Failure.h"
#include "platform/FileReplace.h"

#include <cmath>
#include <memory>
#include <vector>
#include <zip.h>

namespace platform {
namespace {

constexpr QLatin1StringView
    kWordNamespace("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
constexpr QLatin1StringView
    kRelationships("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

QString twips(double points) {
    return QString::number(std::lround(points * 20));
}

QString hexColour(QRgb colour) {
    return QStringLiteral("%1").arg(colour & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
}

bool isLineBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029';
}

// Appends `line` to `out` without the characters XML 1.0 cannot carry: control characters
// other than tab, U+FFFE, U+FFFF and halves of a surrogate pair that stand alone.
void appendCarried(QStringView line, QString& out) {
    const qsizetype size = line.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = line[i].unicode();
        if (c >= 0x20 && c < 0xD800) {
            out.append(QChar(c));
        } else if (c == u'\t' || (c >= 0xE000 && c < 0xFFFE)) {
            out.append(QChar(c));
        } else if (QChar::isHighSurrogate(c) && i + 1 < size &&
                   QChar::isLowSurrogate(line[i + 1].unicode())) {
            out.append(QChar(c));
            out.append(line[++i]);
        }
    }
}

// The parts that make a package a word-processing document, and the settings part when
// there is one.
QByteArray contentTypes(bool withSettings) {
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.writeStartDocument(QStringLiteral("1.0"), true);
    w.writeDefaultNamespace(
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types"));
    w.writeStartElement(QStringLiteral("Types"));
    w.writeEmptyElement(QStringLiteral("Default"));
    w.writeAttribute(QStringLiteral("Extension"), QStringLiteral("rels"));
    w.writeAttribute(QStringLiteral("ContentType"),
                     QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    w.writeEmptyElement(QStringLiteral("Default"));
    w.writeAttribute(QStringLiteral("Extension"), QStringLiteral("xml"));
    w.writeAttribute(QStringLiteral("ContentType"), QStringLiteral("application/xml"));
    const auto override = [&](const QString& part, const QString& type) {
        w.writeEmptyElement(QStringLiteral("Override"));
        w.writeAttribute(QStringLiteral("PartName"), part);
        w.writeAttribute(QStringLiteral("ContentType"),
                         QStringLiteral("application/vnd.openxmlformats-officedocument."
                                        "wordprocessingml.%1+xml")
                             .arg(type));
    };
    override(QStringLiteral("/word/document.xml"), QStringLiteral("document.main"));
    if (withSettings) {
        override(QStringLiteral("/word/settings.xml"), QStringLiteral("settings"));
    }
    w.writeEndDocument();
    return xml;
}

QByteArray relationships(const QString& type, const QString& target) {
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.writeStartDocument(QStringLiteral("1.0"), true);
    w.writeDefaultNamespace(
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"));
    w.writeStartElement(QStringLiteral("Relationships"));
    w.writeEmptyElement(QStringLiteral("Relationship"));
    w.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId1"));
    w.writeAttribute(QStringLiteral("Type"), kRelationships + QLatin1Char('/') + type);
    w.writeAttribute(QStringLiteral("Target"), target);
    w.writeEndDocument();
    return xml;
}

QByteArray proofingHiddenSettings() {
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.writeStartDocument(QStringLiteral("1.0"), true);
    w.writeStartElement(QStringLiteral("w:settings"));
    w.writeNamespace(kWordNamespace, QStringLiteral("w"));
    w.writeEmptyElement(QStringLiteral("w:hideSpellingErrors"));
    w.writeEmptyElement(QStringLiteral("w:hideGrammaticalErrors"));
    w.writeEndDocument();
    return xml;
}

struct Part {
    const char* name;
    QByteArray bytes;
};

[[noreturn]] void packageFailure(const char* reason) {
    throw Failure(
        QStringLiteral("Cannot write the document. %1").arg(QString::fromLocal8Bit(reason)));
}

[[noreturn]] void packageFailure(zip_error_t* error) {
    const QByteArray reason = zip_error_strerror(error);
    zip_error_fini(error);
    packageFailure(reason.constData());
}

[[noreturn]] void discardAndFail(zip_t* archive) {
    const QByteArray reason = zip_strerror(archive);
    zip_discard(archive);
    packageFailure(reason.constData());
}

// Reads the whole of an archive written into memory.
QByteArray readAll(zip_source_t* memory) {
    if (zip_source_open(memory) < 0) {
        packageFailure(zip_error_strerror(zip_source_error(memory)));
    }
    QByteArray bytes;
    char piece[64 * 1024];
    zip_int64_t read = 0;
    while ((read = zip_source_read(memory, piece, sizeof piece)) > 0) {
        bytes.append(piece, static_cast<qsizetype>(read));
    }
    zip_source_close(memory);
    if (read < 0) {
        packageFailure(zip_error_strerror(zip_source_error(memory)));
    }
    return bytes;
}

// Zips the parts, in their order, into an archive in memory.
QByteArray zipParts(const std::vector<Part>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (memory == nullptr) {
        packageFailure(&error);
    }
    const std::unique_ptr<zip_source_t, decltype(&zip_source_free)> held(memory, &zip_source_free);
    // The archive releases its source when closed; the extra reference keeps the bytes.
    zip_source_keep(memory);
    zip_t* archive = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        zip_source_free(memory);
        packageFailure(&error);
    }
    for (const Part& part : parts) {
        zip_source_t* source =
            zip_source_buffer(archive, part.bytes.constData(), part.bytes.size(), 0);
        if (source == nullptr) {
            discardAndFail(archive);
        }
        if (zip_file_add(archive, part.name, source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            discardAndFail(archive);
        }
    }
    if (zip_close(archive) < 0) {
        discardAndFail(archive);
    }
    return readAll(memory);
}

} // namespace

DocxWriter::DocxWriter(const DocxPage& page, DocxFont font)
    : page_(page), font_(std::move(font)), halfPoints_(QString::number(font_.points * 2)),
      xml_(&document_) {
    xml_.writeStartDocument(QStringLiteral("1.0"), true);
    xml_.writeStartElement(QStringLiteral("w:document"));
    xml_.writeNamespace(kWordNamespace, QStringLiteral("w"));
    xml_.writeStartElement(QStringLiteral("w:body"));
}

void DocxWriter::addParagraphs(QStringView text, QRgb colour) {
    const QString hex = hexColour(colour);
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (!isLineBreak(c)) {
            continue;
        }
        writeParagraph(text.sliced(start, i - start), hex);
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    writeParagraph(text.sliced(start), hex);
}

void DocxWriter::writeRunProperties(const QString& colour) {
    xml_.writeStartElement(QStringLiteral("w:rPr"));
    xml_.writeEmptyElement(QStringLiteral("w:rFonts"));
    for (const QString& script : {QStringLiteral("w:ascii"), QStringLiteral("w:hAnsi"),
                                  QStringLiteral("w:eastAsia"), QStringLiteral("w:cs")}) {
        xml_.writeAttribute(script, font_.name);
    }
    if (font_.bold) {
        xml_.writeEmptyElement(QStringLiteral("w:b"));
        xml_.writeEmptyElement(QStringLiteral("w:bCs"));
    }
    xml_.writeEmptyElement(QStringLiteral("w:color"));
    xml_.writeAttribute(QStringLiteral("w:val"), colour);
    xml_.writeEmptyElement(QStringLiteral("w:sz"));
    xml_.writeAttribute(QStringLiteral("w:val"), halfPoints_);
    xml_.writeEmptyElement(QStringLiteral("w:szCs"));
    xml_.writeAttribute(QStringLiteral("w:val"), halfPoints_);
    xml_.writeEmptyElement(QStringLiteral("w:u"));
    xml_.writeAttribute(QStringLiteral("w:val"), QStringLiteral("none"));
    xml_.writeEndElement();
}

void DocxWriter::writeParagraph(QStringView line, const QString& colour) {
    clean_.clear();
    appendCarried(line, clean_);

    xml_.writeStartElement(QStringLiteral("w:p"));
    xml_.writeStartElement(QStringLiteral("w:pPr"));
    xml_.writeEmptyElement(QStringLiteral("w:jc"));
    xml_.writeAttribute(QStringLiteral("w:val"), QStringLiteral("left"));
    // The paragraph mark's own font, which an empty paragraph shows and a new paragraph
    // typed after this one takes.
    writeRunProperties(colour);
    xml_.writeEndElement();
    if (!clean_.isEmpty()) {
        xml_.writeStartElement(QStringLiteral("w:r"));
        writeRunProperties(colour);
        qsizetype start = 0;
        for (;;) {
            const qsizetype tab = clean_.indexOf(u'\t', start);
            const qsizetype end = tab < 0 ? clean_.size() : tab;
            if (end > start) {
                xml_.writeStartElement(QStringLiteral("w:t"));
                xml_.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
                xml_.writeCharacters(clean_.sliced(start, end - start));
                xml_.writeEndElement();
            }
            if (tab < 0) {
                break;
            }
            xml_.writeEmptyElement(QStringLiteral("w:tab"));
            start = tab + 1;
        }
        xml_.writeEndElement();
    }
    xml_.writeEndElement();
}

void DocxWriter::writeSection() {
    xml_.writeStartElement(QStringLiteral("w:sectPr"));
    xml_.writeEmptyElement(QStringLiteral("w:pgSz"));
    xml_.writeAttribute(QStringLiteral("w:w"), twips(page_.width));
    xml_.writeAttribute(QStringLiteral("w:h"), twips(page_.height));
    xml_.writeAttribute(QStringLiteral("w:orient"), QStringLiteral("portrait"));
    xml_.writeEmptyElement(QStringLiteral("w:pgMar"));
    xml_.writeAttribute(QStringLiteral("w:top"), twips(page_.topMargin));
    xml_.writeAttribute(QStringLiteral("w:right"), twips(page_.rightMargin));
    xml_.writeAttribute(QStringLiteral("w:bottom"), twips(page_.bottomMargin));
    xml_.writeAttribute(QStringLiteral("w:left"), twips(page_.leftMargin));
    // The schema asks for these three; they are the usual ones and there is no header,
    // footer or gutter.
    xml_.writeAttribute(QStringLiteral("w:header"), QStringLiteral("708"));
    xml_.writeAttribute(QStringLiteral("w:footer"), QStringLiteral("708"));
    xml_.writeAttribute(QStringLiteral("w:gutter"), QStringLiteral("0"));
    xml_.writeEndElement();
}

QByteArray DocxWriter::package() {
    writeSection();
    xml_.writeEndDocument();

    std::vector<Part> parts;
    parts.push_back({"[Content_Types].xml", contentTypes(hideProofingMarks_)});
    parts.push_back({"_rels/.rels", relationships(QStringLiteral("officeDocument"),
                                                  QStringLiteral("word/document.xml"))});
    parts.push_back({"word/document.xml", std::move(document_)});
    if (hideProofingMarks_) {
        parts.push_back(
            {"word/_rels/document.xml.rels",
             relationships(QStringLiteral("settings"), QStringLiteral("settings.xml"))});
        parts.push_back({"word/settings.xml", proofingHiddenSettings()});
    }
    document_ = QByteArray();
    return zipParts(parts);
}

void DocxWriter::save(const QString& path) {
    replaceFile(path, package());
}

} // namespace platform
