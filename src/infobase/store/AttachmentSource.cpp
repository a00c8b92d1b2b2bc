#include "infobase/store/AttachmentSource.h"

#include "infobase/store/AttachmentBlob.h"

#include <QByteArray>
#include <QTemporaryFile>
#include <algorithm>

namespace infobase {

AttachmentSource::AttachmentSource(QIODevice* device, std::unique_ptr<QTemporaryFile> copy)
    : device_(device), copy_(std::move(copy)) {}

AttachmentSource::~AttachmentSource() = default;

std::unique_ptr<AttachmentSource> AttachmentSource::take(QIODevice& device, qint64 maxSize) {
    if (!device.isReadable()) {
        throw Failure(device.errorString());
    }
    if (!device.isSequential()) {
        if (device.size() > maxSize) {
            return nullptr;
        }
        return std::unique_ptr<AttachmentSource>(new AttachmentSource(&device, nullptr));
    }
    // QTemporaryFile creates the file readable and writable by its owner only.
    auto copy = std::make_unique<QTemporaryFile>();
    if (!copy->open()) {
        throw Failure(copy->errorString());
    }
    QByteArray piece(AttachmentBlob::kPieceSize, Qt::Uninitialized);
    qint64 total = 0;
    qint64 count;
    // As readAll() would: whatever the device gives until it has no more.
    while ((count = device.read(piece.data(), piece.size())) > 0) {
        total += count;
        if (total > maxSize) {
            return nullptr;
        }
        if (copy->write(piece.constData(), count) != count) {
            throw Failure(copy->errorString());
        }
    }
    if (!copy->flush()) {
        throw Failure(copy->errorString());
    }
    QTemporaryFile* source = copy.get();
    return std::unique_ptr<AttachmentSource>(new AttachmentSource(source, std::move(copy)));
}

QIODevice& AttachmentSource::device() const {
    if (device_.isNull() || !device_->isReadable()) {
        throw AttachmentSourceFailure(
            QStringLiteral("The device the attachment was loaded from was closed before the "
                           "change was posted"));
    }
    return *device_;
}

qint64 AttachmentSource::size() const {
    return device().size();
}

void AttachmentSource::readPieces(qint64 size,
                                  const std::function<void(QByteArrayView piece)>& sink) const {
    QIODevice& from = device();
    if (!from.seek(0)) {
        throw AttachmentSourceFailure(from.errorString());
    }
    QByteArray piece(int(std::min<qint64>(AttachmentBlob::kPieceSize, size)), Qt::Uninitialized);
    for (qint64 left = size; left > 0;) {
        const qint64 count = from.read(piece.data(), std::min<qint64>(piece.size(), left));
        if (count <= 0) {
            throw AttachmentSourceFailure(
                QStringLiteral("The device the attachment was loaded from ended before its %1 "
                               "bytes were read. %2")
                    .arg(size)
                    .arg(from.errorString()));
        }
        sink(QByteArrayView(piece.constData(), count));
        left -= count;
    }
}

} // namespace infobase
