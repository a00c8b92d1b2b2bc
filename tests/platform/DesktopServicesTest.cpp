#include "platform/DesktopServices.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>
#include <optional>

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
    const QStringList desktopOpener =
        platform::desktopServices().opener(QStringLiteral("/tmp/a.pdf"));
    EXPECT_EQ(desktopOpener,
              (QStringList{QStringLiteral("xdg-open"), QStringLiteral("/tmp/a.pdf")}));
    const auto echo = [](const QString& path) { return QStringList{QStringLiteral("echo"), path}; };
    {
        platform::ScopedDesktopServices seam({{}, {}, echo});
        EXPECT_EQ(platform::desktopServices().opener(QStringLiteral("/tmp/a.pdf")),
                  (QStringList{QStringLiteral("echo"), QStringLiteral("/tmp/a.pdf")}));
        // The clock stays the desktop's own.
        EXPECT_LE(qAbs(platform::desktopServices().now().secsTo(QDateTime::currentDateTime())), 5);
        {
            platform::ScopedDesktopServices inner({[] { return kPinned; }, {}, {}});
            EXPECT_EQ(platform::desktopServices().now(), kPinned);
            // What the inner one leaves empty is the outer replacement, not the desktop's.
            EXPECT_EQ(platform::desktopServices().opener(QStringLiteral("/tmp/b.pdf")).value(0),
                      QStringLiteral("echo"));
        }
        EXPECT_NE(platform::desktopServices().now(), kPinned);
    }
    EXPECT_EQ(platform::desktopServices().opener(QStringLiteral("/tmp/a.pdf")), desktopOpener);
}

// The opener's answer comes from the event loop once it has ended: success only for a
// normal end with status 0; a program that cannot be started is no success either.
TEST(DesktopServicesTest, OpenFileTellsWhetherTheOpenerSucceeded) {
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    const struct {
        QStringList command;
        bool opened;
    } cases[] = {
        {{QStringLiteral("true")}, true},
        {{QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("exit 3")}, false},
        {{QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("kill -9 $$")}, false},
        {{QStringLiteral("/nonexistent/opener")}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.join(u' ').toStdString());
        platform::ScopedDesktopServices seam({{}, {}, [&](const QString&) { return c.command; }});
        QObject context;
        std::optional<bool> answer;
        platform::openFile(QStringLiteral("/tmp/a.pdf"), &context,
                           [&](bool opened) { answer = opened; });
        EXPECT_FALSE(answer.has_value()) << "not waited for";
        QDeadlineTimer deadline(10000);
        while (!answer && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(*answer, c.opened);
    }
}

} // namespace
