#pragma once

#include <string>

#include "base/Failure.h"
#include "model/Camera.h"
#include "model/ModelConfigRecord.h"

// The parameter file: one 96-byte little-endian record in the current directory.
inline constexpr const char* ModelConfigFileName = "TreeModl.Cfg";

// Reads the file at `path` into geometry, camera and treeParams, keeping what the file
// does not validly hold (ApplyModelConfigRecord). Only a regular file is read, without
// ever blocking; anything else counts as no file. Silent on every failure.
void LoadModelConfig(WindowGeometry& geometry, Camera& camera,
                     const std::string& path = ModelConfigFileName);

// Writes geometry, camera and treeParams to `path` (to the file it links to, if it is a
// symbolic link). The old file is replaced atomically (WriteWholeFile), so a failed write
// leaves it intact; the failure says why, in one line naming the file.
Result<> SaveModelConfig(const WindowGeometry& geometry, const Camera& camera,
                         const std::string& path = ModelConfigFileName);
