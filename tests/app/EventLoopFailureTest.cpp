#include "ModalWatch.h"
#include "common/Failure.h"

#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A command that fails without catching its failure ends at the event loop, which shows
// the standard error box (or nothing for a silent abort) and goes on with the next event.
TEST(EventLoop, ReportsAnUncaughtFailureAndSwallowsASilentAbort) {
    ModalWatch watch;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    watch.onShown = [&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            icon = box->icon();
        }
    };
    bool wentOn = false;
    QTimer::singleShot(0, [] { throw Failure(QStringLiteral("Cannot open file \"x\".")); });
    QTimer::singleShot(0, [] { throw SilentAbort(); });
    QTimer::singleShot(0, [&] { wentOn = true; });
    QTest::qWait(200);

    ASSERT_EQ(watch.seen.size(), 1);
    EXPECT_EQ(watch.seen[0].kind, QStringLiteral("box"));
    EXPECT_EQ(watch.seen[0].title, QStringLiteral("app_tests")) << "the program's file name";
    EXPECT_EQ(watch.seen[0].text, QStringLiteral("Cannot open file \"x\"."));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_TRUE(wentOn);
}

} // namespace
