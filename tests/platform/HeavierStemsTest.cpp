#include "platform/HeavierStems.h"

#include "OffscreenGuiApplication.h"
#include "WinesTahomaBold.h"
#include "platform/SfntTables.h"

#include <QPainterPath>
#include <QRandomGenerator>
#include <QRawFont>
#include <gtest/gtest.h>

namespace {

class HeavierStems : public testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenGuiApplication(); }
};

// Letters with upright strokes, accents above capitals, and glyphs made of parts.
const QString kLetters = QStringLiteral("lIНИЙЁйёшжАВЖÅÉ0");

// At 2048 px a pixel is one of the face's units.
constexpr int kUnitsPerEm = 2048;

TEST_F(HeavierStems, WidensStrokesRightwardAndKeepsHeightsAdvancesAndPlaces) {
    const QByteArray face = winesTahomaBold();
    ASSERT_FALSE(face.isEmpty());
    const QRawFont before(face, kUnitsPerEm);
    const QRawFont after(platform::withHeavierStems(face, 0.05), kUnitsPerEm);
    ASSERT_TRUE(after.isValid());

    const QList<quint32> glyphs = before.glyphIndexesForString(kLetters);
    ASSERT_EQ(after.glyphIndexesForString(kLetters), glyphs);
    EXPECT_EQ(after.advancesForGlyphIndexes(glyphs), before.advancesForGlyphIndexes(glyphs));
    EXPECT_EQ(after.ascent(), before.ascent());
    EXPECT_EQ(after.descent(), before.descent());
    for (int i = 0; i < glyphs.size(); ++i) {
        SCOPED_TRACE(kLetters.mid(i, 1).toStdString());
        const QRectF was = before.pathForGlyph(glyphs[i]).boundingRect();
        const QRectF is = after.pathForGlyph(glyphs[i]).boundingRect();
        EXPECT_NEAR(is.top(), was.top(), 1.0);       // accents stay where they were
        EXPECT_NEAR(is.bottom(), was.bottom(), 1.0); // and so does the baseline
        // Left edges stay; the feet of slanted strokes lean out, by less than the growth.
        EXPECT_LE(is.left(), was.left() + 1.0);
        EXPECT_GE(is.left(), was.left() - 0.05 * kUnitsPerEm);
        EXPECT_GT(is.width(), was.width() + 0.8 * 0.05 * kUnitsPerEm);
    }
    // A plain upright stroke grows by exactly the growth asked for.
    const quint32 l = glyphs[0];
    EXPECT_NEAR(after.pathForGlyph(l).boundingRect().width(),
                before.pathForGlyph(l).boundingRect().width() + 0.05 * kUnitsPerEm, 1.0);
}

TEST_F(HeavierStems, NoGrowthGivesBackEveryOutlineAsItWas) {
    const QByteArray face = winesTahomaBold();
    ASSERT_FALSE(face.isEmpty());
    const QRawFont before(face, kUnitsPerEm);
    const QRawFont after(platform::withHeavierStems(face, 0), kUnitsPerEm);
    ASSERT_TRUE(after.isValid());
    QString text;
    for (char16_t c = 0x20; c < 0x17f; ++c) {
        text += QChar(c);
    }
    for (char16_t c = 0x400; c < 0x460; ++c) {
        text += QChar(c);
    }
    const QList<quint32> glyphs = before.glyphIndexesForString(text);
    ASSERT_EQ(after.glyphIndexesForString(text), glyphs);
    for (const quint32 glyph : glyphs) {
        SCOPED_TRACE(glyph);
        EXPECT_EQ(after.pathForGlyph(glyph), before.pathForGlyph(glyph));
    }
}

TEST_F(HeavierStems, SomethingThatIsNoWholeFontGivesNothing) {
    const QByteArray face = winesTahomaBold();
    ASSERT_FALSE(face.isEmpty());
    std::optional<platform::SfntTables> tables = platform::readSfntTables(face);
    ASSERT_TRUE(tables);
    platform::SfntTables glyphsCut = *tables;
    glyphsCut["glyf"].truncate(glyphsCut["glyf"].size() / 2);
    platform::SfntTables noOutlines = *tables;
    noOutlines.erase("glyf");

    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"text", QByteArrayLiteral("Панель работы с ветками")},
        {"file cut short", face.left(face.size() / 2)},
        {"outlines cut short", platform::writeSfntTables(glyphsCut)},
        {"no outlines", platform::writeSfntTables(noOutlines)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(platform::withHeavierStems(c.bytes, 0.05).isEmpty());
    }
}

// A damaged font is read only within its bytes: whatever is written over its outlines and
// their offsets, the result is a font or nothing.
TEST_F(HeavierStems, DamagedOutlinesAreReadOnlyWithinTheFile) {
    const QByteArray face = winesTahomaBold();
    ASSERT_FALSE(face.isEmpty());
    const std::optional<platform::SfntTables> tables = platform::readSfntTables(face);
    ASSERT_TRUE(tables);
    QRandomGenerator random(19);
    int fonts = 0;
    for (int round = 0; round < 200; ++round) {
        platform::SfntTables damaged = *tables;
        // Mostly the outlines, now and then their offsets too.
        for (const char* tag : {"glyf", round % 4 == 0 ? "loca" : "glyf"}) {
            QByteArray& table = damaged[tag];
            for (int i = 0; i < 3; ++i) {
                table[random.bounded(int(table.size()))] = char(random.bounded(256));
            }
        }
        const QByteArray result =
            platform::withHeavierStems(platform::writeSfntTables(damaged), 0.05);
        if (!result.isEmpty()) {
            ++fonts;
            EXPECT_TRUE(QRawFont(result, 20).isValid()) << round;
        }
    }
    EXPECT_GT(fonts, 0); // damage that still reads as outlines is widened like any other
}

} // namespace
