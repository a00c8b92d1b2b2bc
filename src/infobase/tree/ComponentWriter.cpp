#include "infobase/tree/ComponentWriter.h"

#include "common/Failure.h"
#include "infobase/tree/TValueType.h"

#include <QtEndian>
#include <algorithm>
#include <limits>

namespace infobase {

void ComponentWriter::writeSignature() {
    out_.write("TPF0", 4);
}

void ComponentWriter::writeShortString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const auto length = static_cast<quint8>(std::min<qsizetype>(utf8.size(), 255));
    out_.writeByte(length);
    out_.write(utf8.constData(), length);
}

void ComponentWriter::writeInt32(qint32 value) {
    const qint32 le = qToLittleEndian(value);
    out_.write(reinterpret_cast<const char*>(&le), 4);
}

void ComponentWriter::writeInteger(qint32 value) {
    if (value >= std::numeric_limits<qint8>::min() && value <= std::numeric_limits<qint8>::max()) {
        out_.writeByte(vaInt8);
        out_.writeByte(static_cast<quint8>(value));
    } else if (value >= std::numeric_limits<qint16>::min() &&
               value <= std::numeric_limits<qint16>::max()) {
        const qint16 le = qToLittleEndian(static_cast<qint16>(value));
        out_.writeByte(vaInt16);
        out_.write(reinterpret_cast<const char*>(&le), 2);
    } else {
        out_.writeByte(vaInt32);
        writeInt32(value);
    }
}

void ComponentWriter::writeIdent(const QString& name) {
    const auto is = [&](const char* word) {
        return name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    };
    if (is("False")) {
        out_.writeByte(vaFalse);
    } else if (is("True")) {
        out_.writeByte(vaTrue);
    } else if (is("Null")) {
        out_.writeByte(vaNull);
    } else if (is("nil")) {
        out_.writeByte(vaNil);
    } else {
        out_.writeByte(vaIdent);
        writeShortString(name);
    }
}

void ComponentWriter::writeNamedInteger(qint32 value, const QString& name) {
    if (name.isEmpty()) {
        writeInteger(value);
    } else {
        writeIdent(name);
    }
}

void ComponentWriter::writeBoolean(bool value) {
    out_.writeByte(value ? vaTrue : vaFalse);
}

void ComponentWriter::writeString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() < 2 * text.size()) {
        const bool eightBit = std::any_of(utf8.begin(), utf8.end(),
                                          [](char c) { return static_cast<quint8>(c) > 0x7F; });
        if (eightBit) {
            out_.writeByte(vaUTF8String);
            writeInt32(static_cast<qint32>(utf8.size()));
        } else if (utf8.size() <= 255) {
            out_.writeByte(vaString);
            out_.writeByte(static_cast<quint8>(utf8.size()));
        } else {
            out_.writeByte(vaLString);
            writeInt32(static_cast<qint32>(utf8.size()));
        }
        out_.write(utf8.constData(), utf8.size());
        return;
    }
    out_.writeByte(vaWString);
    writeInt32(static_cast<qint32>(text.size()));
    for (const QChar c : text) {
        const quint16 le = qToLittleEndian(c.unicode());
        out_.write(reinterpret_cast<const char*>(&le), 2);
    }
}

void ComponentWriter::writeSet(const QStringList& elements) {
    out_.writeByte(vaSet);
    for (const QString& element : elements) {
        writeShortString(element);
    }
    out_.writeByte(0);
}

void ComponentWriter::writeBinaryHead(qint64 size) {
    if (size > std::numeric_limits<qint32>::max()) {
        throw Failure(QStringLiteral("Stream write error"));
    }
    out_.writeByte(vaBinary);
    writeInt32(static_cast<qint32>(size));
}

} // namespace infobase
