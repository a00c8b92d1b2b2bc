#include "platform/ProgramFonts.h"

#include "OffscreenGuiApplication.h"
#include "WinesTahomaBold.h"

#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <gtest/gtest.h>

namespace {

class ProgramFonts : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ensureOffscreenGuiApplication();
        EXPECT_TRUE(platform::registerProgramFonts().isEmpty());
    }
};

TEST_F(ProgramFonts, TahomaAndMsSansSerifResolveByName) {
    for (const QString& family : platform::kProgramFontFamilies) {
        QFont font(family);
        font.setPixelSize(19);
        EXPECT_EQ(QFontInfo(font).family(), family);
    }
    QFont bold(QStringLiteral("Tahoma"));
    bold.setBold(true);
    EXPECT_TRUE(QFontInfo(bold).bold());
}

// How much ink a line of text takes: the sum of the darkness of its pixels.
double inkOf(const QFont& font, const QString& text) {
    QImage image(700, 40, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(4, 28, text);
    painter.end();
    double ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            ink += 255 - row[x];
        }
    }
    return ink;
}

// Bold captions look bold at every size the windows use, with the advances, ascent and
// descent of Tahoma Bold's own face, so that no measured size moves.
TEST_F(ProgramFonts, TahomaBoldDrawsHeavierStrokesOnItsOwnMetrics) {
    const QString text = QStringLiteral("Панель работы с ветками дерева: Ввести подветку");
    for (const int pixels : {11, 13, 16, 19, 21}) {
        SCOPED_TRACE(pixels);
        QFont regular(QStringLiteral("Tahoma"));
        regular.setPixelSize(pixels);
        QFont bold = regular;
        bold.setBold(true);
        EXPECT_GT(inkOf(bold, text), 1.3 * inkOf(regular, text));

        const QRawFont drawn = QRawFont::fromFont(bold);
        const QRawFont own(winesTahomaBold(), pixels, QFont::PreferDefaultHinting);
        ASSERT_TRUE(own.isValid());
        const QList<quint32> glyphs = own.glyphIndexesForString(text);
        EXPECT_EQ(drawn.glyphIndexesForString(text), glyphs);
        EXPECT_EQ(drawn.advancesForGlyphIndexes(glyphs), own.advancesForGlyphIndexes(glyphs));
        EXPECT_EQ(drawn.ascent(), own.ascent());
        EXPECT_EQ(drawn.descent(), own.descent());
    }
}

} // namespace
