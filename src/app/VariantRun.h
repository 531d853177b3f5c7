#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "base/Failure.h"
#include "model/Camera.h"

class PendingFiles;
class TreeSession;
struct StillFrame;

// The run of --variants (Variants.h): one tree after another, each through the steps a
// single tree's run takes.

struct VariantSteps {
    // Adds the export of the session's tree under `path` to the run's outputs, as a single
    // --export does.
    std::function<Result<>(const std::string& path, const TreeSession& session)> exportTree;
    // Draws one still frame, as a single --render does.
    std::function<Result<>(const StillFrame& frame, std::vector<uint8_t>& rgba)> drawFrame;
};

// Grows the tree of every seed of the variants in `session` (its parameters kept), hands
// each to steps.exportTree under its VariantPath when the run exports, and with --render
// draws each into a cell of `cellWidth` x `cellHeight` (or less, see LayOutSheet) with the
// camera framed on that tree from the azimuth of `from`, no overlay, labelled with its seed;
// the sheet is added to `outputs` as the render's picture. Says on stderr which seeds the
// clock gave. A stop request between trees ends the run with nothing more added.
Result<> AddVariants(const CommandLineOptions& options, const Camera& from, int cellWidth,
                     int cellHeight, TreeSession& session, const VariantSteps& steps,
                     PendingFiles& outputs);
