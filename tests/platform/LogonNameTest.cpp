#include "platform/LogonName.h"

#include <array>
#include <gtest/gtest.h>

namespace {

TEST(LogonName, FitsASixteenCharacterBufferOnlyWithItsTerminator) {
    const struct {
        QString name;
        bool fits;
        std::uint32_t sizeAfter;
    } cases[] = {
        {QStringLiteral("ivan"), true, 5},
        {QStringLiteral("Пользователь_15"), true, 16}, // 15 characters
        {QStringLiteral("Пользователь_016"), false, 17},
        {QStringLiteral("a_much_longer_logon_name"), false, 25},
        {QString(), false, 0},
    };
    for (const auto& c : cases) {
        std::array<char16_t, 17> buffer;
        buffer.fill(u'#');
        std::uint32_t size = 16;
        EXPECT_EQ(platform::copyLogonName(c.name, buffer.data(), &size), c.fits)
            << c.name.toStdString();
        EXPECT_EQ(size, c.sizeAfter) << c.name.toStdString();
        if (c.fits) {
            EXPECT_EQ(QString::fromUtf16(buffer.data()), c.name);
        } else {
            EXPECT_EQ(buffer[0], u'#') << "nothing is written on failure";
        }
        EXPECT_EQ(buffer[16], u'#') << "never past the buffer";
    }
}

TEST(LogonName, SystemNameIsTheProcessOwners) {
    EXPECT_FALSE(platform::systemLogonName().isEmpty());
}

} // namespace
