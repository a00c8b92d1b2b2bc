#pragma once

#include "common/Failure.h"

#include <QByteArrayView>
#include <QPointer>
#include <functional>
#include <memory>

class QIODevice;
class QTemporaryFile;

namespace infobase {

// The source of a pending attachment has gone or gives fewer bytes than it holds: the
// change that refers to it can never be posted as it was made.
class AttachmentSourceFailure : public Failure {
public:
    using Failure::Failure;
};

// Where the bytes of a pending attachment come from until the change is posted, so that
// memory never holds a whole attachment: the post reads them in pieces straight into the
// row.
//
// A device that can seek (a file, a buffer) stays the source and is read from its
// beginning each time the bytes are asked for: by the post, or by a read of the pending
// value. Its content at that moment is the attachment, and it must stay open until the
// change is posted. A device that cannot seek (a pipe, a socket) cannot be read twice: its
// bytes are copied at once, in pieces, into a private temporary file readable by its owner
// only, removed with the source.
class AttachmentSource {
public:
    ~AttachmentSource();
    AttachmentSource(const AttachmentSource&) = delete;
    AttachmentSource& operator=(const AttachmentSource&) = delete;

    // The source for the device's whole content; nullptr when it is longer than maxSize
    // bytes, found out before anything is kept. A device that cannot be read, or a copy
    // that cannot be written, throws Failure with its text.
    static std::unique_ptr<AttachmentSource> take(QIODevice& device, qint64 maxSize);

    // The number of bytes the source holds now.
    qint64 size() const;
    // Hands the first `size` bytes to the sink in order, in pieces of at most 1 MiB.
    void readPieces(qint64 size, const std::function<void(QByteArrayView piece)>& sink) const;

    // size() and readPieces() throw AttachmentSourceFailure when the device was closed or
    // destroyed, cannot go back to its beginning, or ends early.

private:
    AttachmentSource(QIODevice* device, std::unique_ptr<QTemporaryFile> copy);
    QIODevice& device() const;

    QPointer<QIODevice> device_;
    std::unique_ptr<QTemporaryFile> copy_;
};

} // namespace infobase
