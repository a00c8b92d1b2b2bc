#include "infobase/tree/TextArena.h"

#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using infobase::TextArena;

namespace {

QByteArray littleEndian(const QString& text) {
    QByteArray bytes(2 * text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        qToLittleEndian(text.at(i).unicode(), bytes.data() + 2 * i);
    }
    return bytes;
}

QString sample(int i) {
    return QString(i % 256, QChar(0x0430 + i % 32));
}

// Texts from an arena fill several of its blocks, outlive it, and behave as texts of their
// own: changing one leaves the others, each ends with a zero code unit, and a text that
// outlives all others of its block can still grow.
TEST(TextArena, TextsOutliveTheArenaAndChangeOnTheirOwn) {
    constexpr int kCount = 2000; // about 250 000 code units: several blocks
    std::vector<QString> texts;
    {
        auto arena = std::make_unique<TextArena>();
        for (int i = 0; i < kCount; ++i) {
            const QByteArray bytes = littleEndian(sample(i));
            texts.push_back(arena->fromUtf16LittleEndian(bytes.constData(), i % 256));
        }
    }
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(texts[i], sample(i)) << i;
        ASSERT_EQ(texts[i].utf16()[texts[i].size()], 0) << i;
    }

    texts[5].append(QStringLiteral("!!!"));
    texts[6][0] = QChar('x');
    const QString copy = texts[7];
    texts[7].chop(1);
    EXPECT_EQ(texts[4], sample(4));
    EXPECT_EQ(texts[5], sample(5) + "!!!");
    EXPECT_EQ(texts[6], QChar('x') + sample(6).mid(1));
    EXPECT_EQ(copy, sample(7));
    EXPECT_EQ(texts[8], sample(8));

    // Keep only the first text of the first block, then let it grow past its old end.
    QString survivor = texts[1];
    texts.clear();
    EXPECT_EQ(survivor, sample(1));
    survivor.append(QString(100, QChar('y')));
    EXPECT_EQ(survivor, sample(1) + QString(100, QChar('y')));
}

} // namespace
