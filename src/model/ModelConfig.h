#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "base/Failure.h"
#include "model/Camera.h"
#include "model/ModelConfigRecord.h"

// The parameter file: one 96-byte little-endian record in the current directory.
inline constexpr const char* ModelConfigFileName = "TreeModl.Cfg";

// What a parameter file held: its record as stored, and how many of its bytes there were
// (a shorter file holds only the fields its bytes cover; ApplyModelConfigRecord takes it).
struct ModelConfigRead {
    ModelConfigRecord record;
    size_t size = 0;
};

// Reads the file at `path`, judging none of its values. Only a regular file is read,
// without ever blocking; anything else counts as no file. None on every failure, silently.
std::optional<ModelConfigRead> LoadModelConfig(const std::string& path = ModelConfigFileName);

// Writes geometry, camera and params to `path` (to the file it links to, if it is a
// symbolic link). The old file is replaced atomically (WriteWholeFile), so a failed write
// leaves it intact; the failure says why, in one line naming the file.
Result<> SaveModelConfig(const WindowGeometry& geometry, const Camera& camera,
                         const TreeParams& params, const std::string& path = ModelConfigFileName);
