#include "common/Failure.h"
#include "jet/JetText.h"

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
        {"compressed Latin-1", QByteArray("\xFF\xFE" "abc\xE4", 6), QString::fromUtf8("abcä")},
        {"compressed, then two-byte characters, then compressed again",
         QByteArray("\xFF\xFE" "a\x00\x1F\x04\x40\x04\x00" "b", 10), QString::fromUtf8("aПрb")},
        {"compressed marker only", QByteArray("\xFF\xFE", 2), QString()},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(jet::decodeJetText(c.stored), c.expected) << c.name;
    }
}

TEST(JetText, RefusesATextCutInACharacter) {
    EXPECT_THROW(jet::decodeJetText(QByteArray("a\x00" "b", 3)), Failure);
    EXPECT_THROW(jet::decodeJetText(QByteArray("\xFF\xFE" "a\x00\x1F", 5)), Failure);
}

} // namespace
