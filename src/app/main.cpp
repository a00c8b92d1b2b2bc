// The program's entry: the application object, the program's fonts, the start-up sequence.
#include "app/QuorlentApplication.h"
#include "app/Startup.h"
#include "platform/ProgramFonts.h"

#include <csignal>

int main(int argc, char** argv) {
    // A write past the user's file-size limit then fails with its error, which the command
    // reports, instead of ending the program with unsaved work.
    std::signal(SIGXFSZ, SIG_IGN);
    QuorlentApplication application(argc, argv);
    platform::registerProgramFonts();
    return runProgram();
}
