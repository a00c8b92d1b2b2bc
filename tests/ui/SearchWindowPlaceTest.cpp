#include "ui/SearchWindowPlace.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchWindowPlace, BesideTheMainWindowWhereThereIsRoomElseOverThePane) {
    const QSize wanted(560, 460);
    const struct {
        const char* what;
        QRect mainFrame;
        QRect pane;
        QRect screen;
        QRect expected;
    } cases[] = {
        {"at the right, level with the main window's top",
         {100, 50, 1324, 760},
         {1021, 80, 403, 730},
         {0, 0, 2000, 1000},
         {1424, 50, 560, 460}},
        {"at the left when only that side has room",
         {600, 0, 1324, 760},
         {1521, 30, 403, 730},
         {0, 0, 1924, 1000},
         {40, 0, 560, 460}},
        {"kept on the screen when the main window reaches below it",
         {100, 700, 800, 600},
         {700, 730, 200, 570},
         {0, 0, 1500, 1000},
         {900, 540, 560, 460}},
        {"over the pane's lower two thirds, no wider than the pane",
         {0, 0, 1324, 760},
         {921, 28, 403, 732},
         {0, 0, 1400, 900},
         {921, 300, 403, 460}},
        {"a short pane: two thirds of its height",
         {0, 0, 1324, 400},
         {921, 28, 403, 372},
         {0, 0, 1400, 900},
         {921, 152, 403, 248}},
        {"a pane off the screen: the screen's bottom right corner",
         {0, 0, 1324, 760},
         {921, 28, 403, 732},
         {0, 0, 800, 600},
         {240, 294, 560, 306}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ui::searchWindowFrame(c.mainFrame, c.pane, c.screen, wanted), c.expected)
            << c.what;
    }
}

} // namespace
