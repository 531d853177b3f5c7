#pragma once

#include "app/CommandLine.h"
#include "base/Failure.h"

// Runs --export and --render without any window: takes the parameters read from
// --params (never those of the working folder), grows the tree with the seed, writes the
// files. A stop signal (StopSignals.h) before every file is in place fails with
// InterruptedText, and nothing is written; one while the picture is drawn ends the
// process at once, saying so on stderr.
Result<> RunBatch(const CommandLineOptions& options);

// What a run stopped by a signal says.
inline constexpr const char* InterruptedText = "interrupted; nothing was written";
