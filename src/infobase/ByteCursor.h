#pragma once

#include "common/Failure.h"

#include <QByteArrayView>
#include <QtEndian>

namespace infobase {

// Reads little-endian values from bytes in memory. Running past the end throws
// Failure("Stream read error").
class ByteCursor {
public:
    explicit ByteCursor(QByteArrayView bytes) : bytes_(bytes) {}

    qsizetype remaining() const { return bytes_.size() - pos_; }

    const char* take(qsizetype size) {
        if (size < 0 || size > remaining()) {
            throw Failure(QStringLiteral("Stream read error"));
        }
        const char* at = bytes_.data() + pos_;
        pos_ += size;
        return at;
    }
    quint8 u8() { return static_cast<quint8>(*take(1)); }
    qint32 i32() { return qFromLittleEndian<qint32>(take(4)); }

private:
    QByteArrayView bytes_;
    qsizetype pos_ = 0;
};

} // namespace infobase
