#pragma once

#include "infobase/store/SqlcipherConnection.h"
#include "infobase/wholefile/FileCopy.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace infobase {

class AttachmentBlob;

// One branch record as another program's base holds it. A value the record does not hold
// stays empty here and is stored as no value, which the program reads as the empty text,
// the kind 0 or an attachment of no bytes.
struct ImportedRecord {
    std::optional<QString> dat, name, description, text;
    std::optional<qint32> kind;
    std::optional<qint64> attachmentSize; // the attachment's bytes are streamed separately
};

// Takes an attachment's bytes in order and writes them into its record through a buffer
// of fixed size, so that an attachment of any size needs no more memory than that.
class AttachmentStream {
public:
    void write(const char* data, qint64 size);

private:
    friend class ImportedBase;
    AttachmentStream(AttachmentBlob& blob, qint64 size);
    void flush();
    void finish();

    AttachmentBlob& blob_;
    qint64 size_;
    qint64 written_ = 0;
    QByteArray buffer_;
};

// A new base file being filled with imported records, beside the file it is to replace.
// The file is the program's own base (both tables, keyed with the base's password); it is
// written in one transaction and, until finish() succeeds, removed when the object goes.
class ImportedBase {
public:
    // Creates the file, which must not exist. Throws Failure.
    explicit ImportedBase(const QString& path);
    ~ImportedBase();
    ImportedBase(const ImportedBase&) = delete;
    ImportedBase& operator=(const ImportedBase&) = delete;

    // Adds a record; when it has an attachment, `fill` hands its bytes to the stream, which
    // must receive exactly attachmentSize of them.
    using AttachmentFill = std::function<void(AttachmentStream&)>;
    void add(const ImportedRecord& record, const AttachmentFill& fill);

    // Commits, then checks the closed file whole as the backup does (it opens with the base's
    // password, is sound and holds `expectedRecords` records) and puts it on the disk.
    // Progress of the check is told in bytes read. Throws Failure naming what is wrong; the
    // file is then removed.
    void finish(qint64 expectedRecords, const CopyProgress& checkProgress);

    qint64 records() const { return records_; }
    qint64 attachmentBytes() const { return attachmentBytes_; }

private:
    QString path_;
    SqlcipherConnection connection_;
    qint64 records_ = 0;
    qint64 attachmentBytes_ = 0;
    bool finished_ = false;
};

} // namespace infobase
