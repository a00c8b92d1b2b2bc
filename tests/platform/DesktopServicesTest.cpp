#include "platform/DesktopServices.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kPinned(QDate(2026, 12, 10), QTime(23, 59, 59));

TEST(DesktopServicesTest, TodayIsTheClocksDateInTheUsersShortFormat) {
    const struct {
        const char* locale;
        const char* expected;
    } cases[] = {{"ru_RU", "10.12.2026"}, {"en_US", "12/10/26"}, {"de_DE", "10.12.26"}};
    for (const auto& c : cases) {
        platform::ScopedDesktopServices pinned(
            {[] { return kPinned; }, [&] { return QLocale(QString::fromLatin1(c.locale)); }, {}});
        EXPECT_EQ(platform::todayShortDate(), QString::fromLatin1(c.expected)) << c.locale;
    }
}

TEST(DesktopServicesTest, AReplacementLastsForItsScopeAndKeepsWhatItLeavesEmpty) {
    QString opened;
    {
        platform::ScopedDesktopServices seam({{}, {}, [&](const QString& path) {
                                                  opened = path;
                                                  return true;
                                              }});
        EXPECT_TRUE(platform::desktopServices().openFile(QStringLiteral("/tmp/a.pdf")));
        EXPECT_EQ(opened, QStringLiteral("/tmp/a.pdf"));
        // The clock stays the desktop's own.
        EXPECT_LE(qAbs(platform::desktopServices().now().secsTo(QDateTime::currentDateTime())), 5);
        {
            platform::ScopedDesktopServices inner({[] { return kPinned; }, {}, {}});
            EXPECT_EQ(platform::desktopServices().now(), kPinned);
            // What the inner one leaves empty is the outer replacement, not the desktop's.
            platform::desktopServices().openFile(QStringLiteral("/tmp/b.pdf"));
            EXPECT_EQ(opened, QStringLiteral("/tmp/b.pdf"));
        }
        EXPECT_NE(platform::desktopServices().now(), kPinned);
    }
}

} // namespace
