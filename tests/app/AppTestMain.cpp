// Entry of the application-level tests: the program's own application object, so that
// failures reach the event loop exactly as in the program.
#include "app/QuorlentApplication.h"
#include "platform/ProgramFonts.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Listing or running the tests needs no screen: without a platform named, use none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QuorlentApplication application(argc, argv);
    platform::registerProgramFonts();
    return RUN_ALL_TESTS();
}
