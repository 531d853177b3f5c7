#pragma once

#include "app/CommandLine.h"

// Runs --export and --render without any window: takes the parameters read from
// --params (never those of the working folder), grows the tree with the seed, writes the
// files. Failures print one line on stderr. Returns the process's exit code.
int RunBatch(const CommandLineOptions& options);
