// The program's entry: the application object, the program's fonts, the start-up sequence.
#include "app/QuorlentApplication.h"
#include "app/Startup.h"
#include "platform/ProgramFonts.h"

int main(int argc, char** argv) {
    QuorlentApplication application(argc, argv);
    platform::registerProgramFonts();
    return runProgram();
}
