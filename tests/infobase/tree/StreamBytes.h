#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <initializer_list>

// Builds component-stream bytes by hand for the tests: each piece says what it is, so a table
// of bytes reads like the format's own description.
class StreamBytes {
public:
    StreamBytes& bytes(std::initializer_list<int> values) {
        for (const int v : values) {
            data_.append(static_cast<char>(v));
        }
        return *this;
    }
    // Whitespace-separated hexadecimal bytes, e.g. "03 C9 01".
    StreamBytes& hex(const char* text) {
        data_.append(QByteArray::fromHex(QByteArray(text).replace(' ', "")));
        return *this;
    }
    StreamBytes& raw(const QByteArray& bytes) {
        data_.append(bytes);
        return *this;
    }
    // A length byte and the text's UTF-8 bytes.
    StreamBytes& shortString(const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        data_.append(static_cast<char>(utf8.size()));
        data_.append(utf8);
        return *this;
    }
    StreamBytes& int32(qint32 value) {
        char le[4];
        qToLittleEndian(value, le);
        data_.append(le, 4);
        return *this;
    }
    StreamBytes& utf16(const QString& text) {
        for (const QChar c : text) {
            char le[2];
            qToLittleEndian(c.unicode(), le);
            data_.append(le, 2);
        }
        return *this;
    }

    const QByteArray& data() const { return data_; }
    operator QByteArray() const { return data_; }

private:
    QByteArray data_;
};

// The header of a tree view stream: signature, class name and component name.
inline StreamBytes treeViewHeader() {
    StreamBytes s;
    s.raw("TPF0").shortString("TTreeView").shortString("TreeView1");
    return s;
}
