#pragma once

#include <functional>

// Ending by a signal (SIGTERM, SIGINT, SIGHUP) as if the user had closed the program, so
// the close sequence runs and the settings are kept.

// Call first thing in main: from here on such a signal no longer ends the process at
// once but is held until OnQuitSignals hands it to the event loop. Safe to call again.
void CatchQuitSignals();

// Runs `onQuit` on the event loop for a caught signal, including one that arrived before
// this call: it runs as soon as the event loop does. Call once, before the event loop
// starts and after the start-up, so that no start-up step sees the program closing.
void OnQuitSignals(std::function<void()> onQuit);
