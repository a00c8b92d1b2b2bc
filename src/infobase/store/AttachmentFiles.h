#pragma once

#include <QString>
#include <optional>

namespace infobase {

class BranchField;

// Attachment kind codes, kept in RashirenieFile.
enum AttachmentKind : qint32 { kindJpeg = 0, kindRar = 1, kindDocx = 2, kindPdf = 3 };

// The kind of a file chosen for attaching, by its name's extension (from the last full
// stop of the name on), ignoring letter case: "IMG_0001.JPG" is a picture. nullopt for
// any other extension and for a name without one.
std::optional<qint32> attachmentKindOfFileName(const QString& fileName);

// The name an attachment of that kind is extracted to in the Temp folder
// ("Dokument.pdf", ".docx", ".jpg", ".rar"); empty for a code outside 0 … 3.
QString extractedAttachmentName(qint32 kind);

// Writes the attachment of the record on which `file` stands to `path`, in pieces, so
// that an attachment of any size never sits in memory whole. The bytes go to a new file
// readable and writable by its owner only, in path's folder, which then replaces `path`
// in one step: a reader never sees a half-written file. Returns the number of bytes; an
// empty attachment writes nothing and leaves `path` as it was. Throws Failure with the
// text of a failed read or write; the new file is then removed and `path` stays as it was.
qint64 extractAttachment(const BranchField& file, const QString& path);

} // namespace infobase
