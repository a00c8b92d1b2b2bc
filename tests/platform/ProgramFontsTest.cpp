#include "platform/ProgramFonts.h"

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

TEST(ProgramFonts, TahomaAndMsSansSerifResolveByName) {
    int argc = 3;
    // Fonts need a GUI application, never a screen.
    char name[] = "platform_tests";
    char platform[] = "-platform";
    char offscreen[] = "offscreen";
    char* argv[] = {name, platform, offscreen, nullptr};
    QGuiApplication app(argc, argv);

    EXPECT_TRUE(platform::registerProgramFonts().isEmpty());
    for (const QString& family : platform::kProgramFontFamilies) {
        QFont font(family);
        font.setPixelSize(19);
        EXPECT_EQ(QFontInfo(font).family(), family);
    }
    QFont bold(QStringLiteral("Tahoma"));
    bold.setBold(true);
    EXPECT_TRUE(QFontInfo(bold).bold());
}

} // namespace
