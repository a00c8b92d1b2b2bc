#pragma once

#include "common/Failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtEndian>
#include <utility>

class QIODevice;

namespace infobase {

// Reads little-endian values from a run of bytes: bytes in memory, or the next bytes of a
// device, which are read in pieces into a small buffer as they are taken, so that a large
// block never has to be held whole. Running past the end throws Failure("Stream read error").
class ByteCursor {
public:
    explicit ByteCursor(QByteArrayView bytes)
        : pos_(bytes.data()), end_(bytes.data() + bytes.size()) {}
    // Bytes the cursor keeps for as long as it reads them.
    explicit ByteCursor(QByteArray&& bytes)
        : buffer_(std::move(bytes)), pos_(buffer_.constData()),
          end_(buffer_.constData() + buffer_.size()) {}
    // The next `length` bytes of the device. The caller has made sure the device holds them;
    // a device that delivers fewer after all (a file cut meanwhile) fails when they are taken.
    ByteCursor(QIODevice& device, qint64 length);
    ByteCursor(ByteCursor&&) = default;
    ByteCursor(const ByteCursor&) = delete;
    ByteCursor& operator=(const ByteCursor&) = delete;

    qint64 remaining() const { return (end_ - pos_) + unread_; }

    const char* take(qsizetype size) {
        // Compared unsigned, a negative size counts as too many bytes.
        if (size_t(size) > size_t(end_ - pos_)) {
            refill(size);
        }
        const char* at = pos_;
        pos_ += size;
        return at;
    }
    quint8 u8() { return static_cast<quint8>(*take(1)); }
    qint32 i32() { return qFromLittleEndian<qint32>(take(4)); }

    // Passes over what is left, so that a device stands right after the run.
    void skipRest();

private:
    // Makes at least `size` bytes available at pos_, or throws when the run has fewer left.
    void refill(qsizetype size);

    QIODevice* device_ = nullptr;
    QByteArray buffer_;
    const char* pos_;
    const char* end_;
    qint64 unread_ = 0; // bytes of the run still in the device
};

} // namespace infobase
