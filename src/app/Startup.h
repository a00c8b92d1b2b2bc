#pragma once

// The program's start-up sequence inside an existing application object: applies the
// visual style, creates the main, splash and about windows, shows the main window
// maximised (its show step runs the splash) and runs the event loop until the main
// window closes or the system asks the program to end. Returns the loop's exit code.
int runProgram();
