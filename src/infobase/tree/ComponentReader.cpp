#include "infobase/tree/ComponentReader.h"

#include "common/Failure.h"
#include "infobase/tree/TValueType.h"
#include "infobase/tree/Windows1251.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>

namespace infobase {
namespace {

// Lists and collections can nest; deeper than this is no display option but hostile input.
constexpr int kMaxNesting = 64;
// A device that cannot tell its size is read in pieces of this size, so that a length in the
// stream never allocates more than the bytes that are really there.
constexpr qint64 kChunk = 1 << 20;

[[noreturn]] void readError() {
    throw Failure(QStringLiteral("Stream read error"));
}
[[noreturn]] void invalidValue() {
    throw Failure(QStringLiteral("Invalid property value"));
}

} // namespace

QByteArray ComponentReader::readBytes(qint64 size) {
    if (size < 0) {
        readError();
    }
    if (!device_.isSequential()) {
        if (size > device_.size() - device_.pos()) {
            readError();
        }
        QByteArray bytes(size, Qt::Uninitialized);
        if (device_.read(bytes.data(), size) != size) {
            readError();
        }
        return bytes;
    }
    QByteArray bytes;
    while (bytes.size() < size) {
        const qint64 part = std::min(size - bytes.size(), kChunk);
        const qsizetype old = bytes.size();
        bytes.resize(old + part);
        if (device_.read(bytes.data() + old, part) != part) {
            readError();
        }
    }
    return bytes;
}

void ComponentReader::skipBytes(qint64 size) {
    if (size < 0) {
        readError();
    }
    while (size > 0) {
        const qint64 part = std::min(size, kChunk);
        readBytes(part);
        size -= part;
    }
}

quint8 ComponentReader::readByte() {
    char c;
    if (!device_.getChar(&c)) {
        readError();
    }
    return static_cast<quint8>(c);
}

quint8 ComponentReader::peekByte() {
    char c;
    if (device_.peek(&c, 1) != 1) {
        readError();
    }
    return static_cast<quint8>(c);
}

qint32 ComponentReader::readInt32() {
    return qFromLittleEndian<qint32>(readBytes(4).constData());
}

qint32 ComponentReader::readLength() {
    const qint32 length = readInt32();
    if (length < 0) {
        readError();
    }
    return length;
}

QString ComponentReader::readShortString() {
    return QString::fromUtf8(readBytes(readByte()));
}

qint32 ComponentReader::readInteger(quint8 tag) {
    switch (tag) {
    case vaInt8:
        return static_cast<qint8>(readByte());
    case vaInt16:
        return qFromLittleEndian<qint16>(readBytes(2).constData());
    case vaInt32:
        return readInt32();
    default:
        invalidValue();
    }
}

QString ComponentReader::readString(quint8 tag) {
    switch (tag) {
    case vaString:
        return fromWindows1251(readBytes(readByte()));
    case vaLString:
        return fromWindows1251(readBytes(readLength()));
    case vaUTF8String:
        return QString::fromUtf8(readBytes(readLength()));
    case vaWString: {
        const QByteArray bytes = readBytes(2 * qint64(readLength()));
        QString text(bytes.size() / 2, Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        for (qsizetype i = 0; i < text.size(); ++i) {
            out[i] = qFromLittleEndian<quint16>(bytes.constData() + 2 * i);
        }
        return text;
    }
    default:
        invalidValue();
    }
}

QStringList ComponentReader::readSetElements() {
    QStringList elements;
    for (QString element = readShortString(); !element.isEmpty(); element = readShortString()) {
        elements.append(element);
    }
    return elements;
}

ByteCursor ComponentReader::readBinary() {
    const qint32 length = readLength();
    if (device_.isSequential()) {
        return ByteCursor(readBytes(length));
    }
    if (length > device_.size() - device_.pos()) {
        readError();
    }
    return ByteCursor(device_, length);
}

void ComponentReader::skipValue(quint8 tag) {
    skipValueAt(tag, 0);
}

void ComponentReader::skipValueAt(quint8 tag, int depth) {
    if (depth > kMaxNesting) {
        invalidValue();
    }
    switch (tag) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        return;
    case vaList:
        while (peekByte() != 0) {
            skipValueAt(readByte(), depth + 1);
        }
        readByte();
        return;
    case vaInt8:
        return skipBytes(1);
    case vaInt16:
        return skipBytes(2);
    case vaInt32:
    case vaSingle:
        return skipBytes(4);
    case vaExtended:
        return skipBytes(10);
    case vaCurrency:
    case vaDate:
    case vaInt64:
    case vaDouble:
        return skipBytes(8);
    case vaString:
    case vaIdent:
        return skipBytes(readByte());
    case vaBinary:
    case vaLString:
    case vaUTF8String:
        return skipBytes(readLength());
    case vaWString:
        return skipBytes(2 * qint64(readLength()));
    case vaSet:
        readSetElements();
        return;
    case vaCollection:
        return skipCollection(depth + 1);
    default:
        invalidValue();
    }
}

// Items, each an optional integer (its index), a vaList tag and property entries up to a zero
// byte; the whole ended by a zero byte.
void ComponentReader::skipCollection(int depth) {
    while (peekByte() != 0) {
        quint8 tag = readByte();
        if (tag == vaInt8 || tag == vaInt16 || tag == vaInt32) {
            readInteger(tag);
            tag = readByte();
        }
        if (tag != vaList) {
            invalidValue();
        }
        while (!readShortString().isEmpty()) {
            skipValueAt(readByte(), depth + 1);
        }
    }
    readByte();
}

} // namespace infobase
