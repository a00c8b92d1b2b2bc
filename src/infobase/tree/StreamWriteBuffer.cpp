#include "infobase/tree/StreamWriteBuffer.h"

#include "common/Failure.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace infobase {

void StreamWriteBuffer::write(const char* data, qsizetype size) {
    while (size > 0) {
        if (used_ == 0 && size >= kSize) {
            // A whole block straight from the caller's memory: the same bytes in the same
            // block as through the buffer, without the copy.
            writeToDevice(data, kSize);
            data += kSize;
            size -= kSize;
            continue;
        }
        const qsizetype part = std::min(size, kSize - used_);
        std::memcpy(buffer_.data() + used_, data, static_cast<size_t>(part));
        used_ += part;
        data += part;
        size -= part;
        if (used_ == kSize) {
            flush();
        }
    }
}

void StreamWriteBuffer::writeByte(quint8 byte) {
    buffer_[static_cast<size_t>(used_++)] = static_cast<char>(byte);
    if (used_ == kSize) {
        flush();
    }
}

void StreamWriteBuffer::flush() {
    if (used_ > 0) {
        const qsizetype size = used_;
        used_ = 0;
        writeToDevice(buffer_.data(), size);
    }
}

void StreamWriteBuffer::writeToDevice(const char* data, qsizetype size) {
    if (device_.write(data, size) != size) {
        throw Failure(QStringLiteral("Stream write error"));
    }
}

} // namespace infobase
