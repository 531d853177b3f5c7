#pragma once

#include <functional>

// Runs `onQuit` on the event loop when the process is asked to end by a signal
// (SIGTERM, SIGINT, SIGHUP), so the program can close as if the user had closed it and
// keep its settings. Call once, after the application object exists.
void OnQuitSignals(std::function<void()> onQuit);
