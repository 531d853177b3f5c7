#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Failure.h"
#include "model/Camera.h"
#include "model/ModelConfigRecord.h"
#include "model/TreeParams.h"

// A parameter file a user can keep, read and hand on. Two formats are read, told apart
// by their content rather than their name:
// - readable JSON: one key per parameter under its displayed name ("Leaf Size": 1.97),
//   plus "seed" (the leaf factors' generator seed, a whole number) and optionally
//   "camera" ({"x", "y", "z", "elevation", "azimuth"}). A parameter the file leaves out
//   takes its default, so a file always describes one whole tree;
// - the program's own 96-byte record ("TreeModl.Cfg"): its parameters, camera and window
//   settings.
// Anything else is refused. Reading is all or nothing: a value outside its range or of the
// wrong type refuses the whole file, failing in one line that names the key or field, by
// the same rules for both formats (TakeParamValue, TakeCameraValue, and for the record's
// window settings TakeModelConfigRecord). Unknown keys are reported and ignored. JSON is
// written so that reading it back gives bit-identical floats.

struct ParamFileContents {
    TreeParams params;
    std::optional<uint32_t> seed;
    std::optional<Camera> camera;
};

// What a file that was taken held.
struct LoadedParamFile {
    ParamFileContents contents;
    std::optional<WindowGeometry> geometry; // a record's window settings
    std::vector<std::string> ignored;       // one line per unknown key
};

// Larger files are refused before they are parsed.
inline constexpr size_t MaxParamFileBytes = 1 << 20;

// Reads the regular file at `path` in either format, opening it once (anything else, a
// FIFO included, is refused). For the bytes of a file read otherwise, ParseParamFile.
Result<LoadedParamFile> ReadParamFile(const std::string& path);
// Reads a whole file already in memory, its format told from the bytes: JSON, a 96-byte
// record, or neither (refused). A file read to MaxParamFileBytes + 1 bytes shows that it
// is too large.
Result<LoadedParamFile> ParseParamFile(std::string_view bytes);
// Reads JSON text already in memory.
Result<LoadedParamFile> ParseParamJson(std::string_view text);
// True when the bytes are meant as JSON: the first character after blanks (and an
// optional UTF-8 byte-order mark) opens an object, and no byte is zero.
bool LooksLikeJson(std::string_view bytes);

// The readable JSON text of `contents` (JsonWriter::Layout::Readable), parameters in table
// order, numbers by NumberText.
std::string ParamFileJson(const ParamFileContents& contents);
// Writes that text to `path`, replacing an old file only once the new one is complete.
Result<> WriteParamFile(const std::string& path, const ParamFileContents& contents);
