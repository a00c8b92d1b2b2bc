#include "JetText.h"

#include "common/Failure.h"

#include <QtEndian>

namespace jet {
namespace {

[[noreturn]] void throwCutText() {
    throw Failure(QStringLiteral("Текст в базе повреждён: он обрывается посреди символа."));
}

void appendUtf16(QString& text, const uchar* data, qsizetype units) {
    const qsizetype start = text.size();
    text.resize(start + units);
    qFromLittleEndian<quint16>(data, units, text.data() + start);
}

} // namespace

QString decodeJetText(QByteArrayView stored) {
    const auto* data = reinterpret_cast<const uchar*>(stored.data());
    const qsizetype size = stored.size();
    QString text;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        text.reserve(size - 2);
        bool compressed = true;
        for (qsizetype i = 2; i < size;) {
            if (data[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                text.append(QChar(data[i]));
                ++i;
            } else {
                if (i + 1 >= size) {
                    throwCutText();
                }
                appendUtf16(text, data + i, 1);
                i += 2;
            }
        }
        return text;
    }
    if (size % 2 != 0) {
        throwCutText();
    }
    appendUtf16(text, data, size / 2);
    return text;
}

} // namespace jet
