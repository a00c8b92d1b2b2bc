#include "infobase/tree/ByteCursor.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace infobase {
namespace {

// Large enough that the system calls cost little beside the copying, small enough to stay in
// the processor's cache while the bytes are decoded.
constexpr qsizetype kPiece = 256 * 1024;

[[noreturn]] void readError() {
    throw Failure(QStringLiteral("Stream read error"));
}

} // namespace

ByteCursor::ByteCursor(QIODevice& device, qint64 length)
    : device_(&device), pos_(nullptr), end_(nullptr), unread_(length) {}

void ByteCursor::refill(qsizetype size) {
    if (size < 0 || size > remaining()) {
        readError();
    }
    const qsizetype kept = end_ - pos_;
    // A short run gets a buffer of its own size.
    const qsizetype capacity =
        std::max({size, std::min<qint64>(kPiece, remaining()), buffer_.size()});
    if (buffer_.size() < capacity) {
        QByteArray larger(capacity, Qt::Uninitialized);
        if (kept > 0) {
            std::memcpy(larger.data(), pos_, size_t(kept));
        }
        buffer_.swap(larger);
    } else if (kept > 0) {
        std::memmove(buffer_.data(), pos_, size_t(kept));
    }
    const qint64 wanted = std::min<qint64>(capacity - kept, unread_);
    if (device_->read(buffer_.data() + kept, wanted) != wanted) {
        readError();
    }
    unread_ -= wanted;
    pos_ = buffer_.constData();
    end_ = pos_ + kept + wanted;
}

void ByteCursor::skipRest() {
    pos_ = end_;
    while (unread_ > 0) {
        take(std::min<qint64>(unread_, kPiece));
    }
    pos_ = end_;
}

} // namespace infobase
