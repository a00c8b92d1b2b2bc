#include "ui/ConnectProgress.h"

#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

TEST(ConnectProgress, AQuickConnectShowsNothing) {
    QProgressBar bar;
    bar.setAccessibleName(QStringLiteral("Ход копирования"));
    int paints = 0;
    {
        ConnectProgress progress(
            bar, [&paints] { ++paints; }, 60'000);
        progress.tell(0.5);
        progress.tell(1.0);
    }
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(paints, 0);
    EXPECT_EQ(bar.accessibleName(), QStringLiteral("Ход копирования"));
}

TEST(ConnectProgress, ALongConnectShowsAndPaintsTheBarThenHidesIt) {
    QProgressBar bar;
    bar.hide();
    bar.setAccessibleName(QStringLiteral("Ход копирования"));
    std::vector<std::pair<bool, double>> painted; // shown, fraction, as each paint saw them
    {
        ConnectProgress progress(
            bar,
            [&] {
                painted.emplace_back(!bar.isHidden(), double(bar.value() - bar.minimum()) /
                                                          (bar.maximum() - bar.minimum()));
            },
            0);
        progress.tell(0.25);
        EXPECT_EQ(bar.accessibleName(), QStringLiteral("Ход подключения"));
    }
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_TRUE(painted[0].first);
    EXPECT_DOUBLE_EQ(painted[0].second, 0.25);
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(bar.accessibleName(), QStringLiteral("Ход копирования"));
}

} // namespace
