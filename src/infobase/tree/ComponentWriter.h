#pragma once

#include "infobase/tree/StreamWriteBuffer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace infobase {

// Writes the parts of a component stream: short strings, and values each as its tag and
// payload, in the smallest form the format allows.
class ComponentWriter {
public:
    explicit ComponentWriter(QIODevice& device) : out_(device) {}

    void writeSignature();
    // A length byte and the UTF-8 form, cut after 255 bytes.
    void writeShortString(const QString& text);
    // vaInt8, vaInt16 or vaInt32, whichever is the smallest that holds the value.
    void writeInteger(qint32 value);
    // vaFalse, vaTrue, vaNull or vaNil for those names (in any letter case), else vaIdent.
    void writeIdent(const QString& name);
    // The name when the value has one, else the integer.
    void writeNamedInteger(qint32 value, const QString& name);
    void writeBoolean(bool value);
    // vaString, vaLString, vaUTF8String or vaWString, by the text's UTF-8 and UTF-16 sizes.
    void writeString(const QString& text);
    void writeSet(const QStringList& elements);
    // The vaBinary tag and the block's length; the caller writes the block's bytes to
    // buffer() next. Throws Failure("Stream write error") for a block of 2 GiB or more.
    void writeBinaryHead(qint64 size);
    StreamWriteBuffer& buffer() { return out_; }
    // The zero byte that ends a property list, a child list or a set.
    void writeEndOfList() { out_.writeByte(0); }
    void flush() { out_.flush(); }

private:
    void writeInt32(qint32 value);

    StreamWriteBuffer out_;
};

} // namespace infobase
