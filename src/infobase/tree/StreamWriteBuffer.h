#pragma once

#include <QtGlobal>
#include <array>

class QIODevice;

namespace infobase {

// Collects output in blocks of 4096 bytes and hands each full block to the device; the rest
// goes out on flush(). Throws Failure("Stream write error") when the device takes fewer bytes
// than it was given.
class StreamWriteBuffer {
public:
    static constexpr qsizetype kSize = 4096;

    explicit StreamWriteBuffer(QIODevice& device) : device_(device) {}

    void write(const char* data, qsizetype size);
    void writeByte(quint8 byte);
    void flush();

private:
    void writeToDevice(const char* data, qsizetype size);

    QIODevice& device_;
    std::array<char, kSize> buffer_;
    qsizetype used_ = 0;
};

} // namespace infobase
