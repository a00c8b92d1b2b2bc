#pragma once

#include <functional>

// A request from the system to end the program (SIGTERM, as a desktop session sends at
// logout or a package manager's stop; SIGINT from a terminal). The signal itself only
// writes to a pipe; `onRequest` runs later in the event loop, where it may touch windows.
// Call once, after the application object exists.
void watchTerminationRequests(std::function<void()> onRequest);
