#include "jet/JetText.h"

#include "common/Failure.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* name;
    QByteArray stored;
    QString expected;
};

QByteArray utf16(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    }
    return bytes;
}

TEST(JetText, DecodesBothStoredForms) {
    const QString emoji = QString::fromUtf8("ветка 😀 «ёЁ»");
    const TextCase cases[] = {
        {"empty", QByteArray(), QString()},
        {"utf16 with a character outside the BMP", utf16(emoji), emoji},
        {"compressed Latin-1", QByteArray::fromHex("FFFE616263E4"), QString::fromUtf8("abcä")},
        {"compressed, then two-byte characters, then compressed again",
         QByteArray::fromHex("FFFE 61 00 1F04 4004 00 62"), QString::fromUtf8("aПрb")},
        {"compressed marker only", QByteArray::fromHex("FFFE"), QString()},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(jet::decodeJetText(c.stored), c.expected) << c.name;
    }
}

TEST(JetText, RefusesATextCutInACharacter) {
    EXPECT_THROW(jet::decodeJetText(QByteArray::fromHex("610062")), Failure);
    EXPECT_THROW(jet::decodeJetText(QByteArray::fromHex("FFFE 61 00 1F")), Failure);
}

} // namespace
