#include "platform/VisualStyles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeStyle(const QTemporaryDir& folder, const char* file, const char* json) {
    QFile out(folder.filePath(QLatin1String(file)));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(json);
}

class VisualStylesTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeStyle(folder, "amethyst.json",
                   R"({"name": "Amethyst Kamri", "base": "Fusion",
                       "colors": {"Window": "#e6dff0", "Highlight": "#7b4fa8"},
                       "disabled": {"WindowText": "#9a90a8"}})");
        writeStyle(folder, "broken.json",
                   R"({"name": "Broken", "colors": {"NoSuchRole": "#fff"}})");
        writeStyle(folder, "truncated.json", R"({"name": "Trunc)");
        writeStyle(folder, "notes.txt", R"({"name": "Not a style file"})");
    }
    QTemporaryDir folder;
};

TEST_F(VisualStylesTest, FindsAStyleByNameWithoutRegardToCase) {
    const platform::VisualStyleRegistry registry(folder.path());
    EXPECT_EQ(registry.names(), QStringList{QStringLiteral("Amethyst Kamri")});
    for (const char* asked : {"Amethyst Kamri", "amethyst kamri", "AMETHYST KAMRI"}) {
        const auto style = registry.find(QLatin1String(asked));
        ASSERT_TRUE(style.has_value()) << asked;
        EXPECT_EQ(style->baseStyle, QStringLiteral("Fusion"));
        EXPECT_EQ(style->palette.color(QPalette::Active, QPalette::Window), QColor(0xe6dff0));
        EXPECT_EQ(style->palette.color(QPalette::Inactive, QPalette::Highlight), QColor(0x7b4fa8));
        EXPECT_EQ(style->palette.color(QPalette::Disabled, QPalette::WindowText), QColor(0x9a90a8));
    }
}

TEST_F(VisualStylesTest, AnyOtherNameIsNotFound) {
    const platform::VisualStyleRegistry registry(folder.path());
    for (const char* asked : {"Amethyst", "Amethyst Kamri ", "Broken", "Not a style file", ""}) {
        EXPECT_FALSE(registry.find(QLatin1String(asked)).has_value()) << asked;
    }
    EXPECT_FALSE(platform::VisualStyleRegistry(folder.filePath(QStringLiteral("none")))
                     .find(QStringLiteral("Amethyst Kamri")));
    EXPECT_EQ(platform::styleNotFoundMessage(QStringLiteral("Amethyst Kamri")),
              QStringLiteral("Style 'Amethyst Kamri' not found"));
}

} // namespace
