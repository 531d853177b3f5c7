#pragma once

#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "model/Camera.h"
#include "model/ModelConfigRecord.h"
#include "model/TreeParams.h"

// What the command line asks for. Without --export or --render the viewer starts. Every
// file name holds exactly the bytes of its argument.
// Adding an option: a field here, its declaration in DeclaredOptions() and the reading of
// its value in ReadValues() (CommandLine.cpp); an option that only prints something and
// exits is answered in ParseCommandLine() like --version, with Action::Print.
struct CommandLineOptions {
    std::optional<uint32_t> seed; // --seed: none means seeded from the clock
    std::string exportPath;       // --export: a .glb or .obj file
    std::string renderPath;       // --render: a .png file
    int renderWidth = 0;          // --size: 0 x 0 means the stored window size
    int renderHeight = 0;
    bool overlay = true; // --no-overlay clears it
    // --lods: the levels of detail a .glb export holds (1: the full tree alone), and the
    // chain --lod picks its level from (without --lods, the chain that level ends).
    int lods = 1;
    bool wind = false;              // --wind: wind data and a looping sway in the .glb
    std::optional<int> renderLevel; // --lod: the level --render draws; none: the full tree
    // --variants: how many trees of consecutive seeds from `seed` on the run writes (see
    // Variants.h); 0: the one tree, under the names given. A seed drawn from the clock for
    // them is said on stderr.
    int variants = 0;
    bool seedFromClock = false;
    // The tree of the --params file or of --preset (the preset wins), put over what the
    // working folder's TreeModl.Cfg gave; none: that file's parameters stay.
    std::optional<TreeParams> params;
    // The camera of a --params file that holds one.
    std::optional<Camera> camera;
    // The window settings of a 96-byte --params record; none: those of TreeModl.Cfg (the
    // viewer) or the defaults (--render).
    std::optional<WindowGeometry> geometry;
    // Lines for stderr that do not stop the run (keys of a JSON file that were ignored).
    std::vector<std::string> notices;

    // True when the run writes files and ends without a window.
    bool Batch() const { return !exportPath.empty() || !renderPath.empty(); }
};

// What a command line that could be read asks for.
struct CommandLine {
    enum class Action {
        Run,   // go on with `options`
        Print, // print `text` on stdout and exit 0 (--help, --version)
    };
    Action action = Action::Run;
    CommandLineOptions options;
    std::string text;
};

// The most levels of detail --lods asks for.
inline constexpr int MaxLods = 6;

// The largest picture --render draws, on each side.
inline constexpr int MaxRenderSide = 4096;

// Reads `arguments` (the program's name first, as in argv). Writes and prints nothing. An
// unknown option, a missing or bad value fails with UsageExitCode, in one line that ends
// by pointing to --help.
Result<CommandLine> ParseCommandLine(const QStringList& arguments);

// The process's arguments as Qt strings, before any application object exists, decoded
// so that every one of their bytes comes back (DecodeArgument).
QStringList CommandLineArguments(int argc, char** argv);
