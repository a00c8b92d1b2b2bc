#pragma once

#include "infobase/tree/ByteCursor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace infobase {

// Reads the parts of a component stream from a device: bytes, short strings, and values by
// their tags. The device is read only as far as the structure goes. Running out of bytes, and
// a negative length, throw Failure("Stream read error"); a tag that cannot stand where it
// does throws Failure("Invalid property value").
class ComponentReader {
public:
    explicit ComponentReader(QIODevice& device) : device_(device) {}

    QByteArray readBytes(qint64 size);
    quint8 readByte();
    quint8 peekByte();
    qint32 readInt32();
    // A length byte and that many bytes of UTF-8.
    QString readShortString();

    // The payload of an integer tag, sign-extended.
    qint32 readInteger(quint8 tag);
    // The payload of a string tag: 8-bit text is taken as Windows-1251.
    QString readString(quint8 tag);
    // The element names of a set, after its tag.
    QStringList readSetElements();
    // The payload of a vaBinary tag, to be taken through the cursor while it is decoded; the
    // device stands after the payload once the cursor's skipRest() was called. A length
    // beyond the device's end fails here, before anything is decoded.
    ByteCursor readBinary();
    // Passes over the payload of any tag, nested lists and collections included.
    void skipValue(quint8 tag);

private:
    void skipBytes(qint64 size);
    qint32 readLength();
    void skipValueAt(quint8 tag, int depth);
    void skipCollection(int depth);

    QIODevice& device_;
};

} // namespace infobase
