// Entry of the test programs that drive widgets: one QApplication for the whole run, on
// whatever platform QT_QPA_PLATFORM names (offscreen under CTest), with the program's
// faces registered so that measured sizes match the running program.
#include "platform/ProgramFonts.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Listing or running the tests needs no screen: without a platform named, use none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    platform::registerProgramFonts();
    return RUN_ALL_TESTS();
}
