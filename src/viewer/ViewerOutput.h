#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Failure.h"

class TreeModel;

// What the viewer writes into the working folder on the user's request: a picture of the
// frame on screen (P) and the tree as binary glTF (E), under names that never replace an
// existing file, with a short notice in the window title.

// The first name "dendrova-seed<seed>-<n><extension>" (n = 1, 2, ...) that nothing holds
// in `folder`: no file, no folder, no link (a broken one included).
std::string FreeOutputName(const std::string& folder, uint32_t seed, const char* extension);

// Writes the frame read back from OpenGL (RGBA, bottom row first) as a new PNG file at
// `path`; nothing is ever replaced: a name taken meanwhile fails (and is then held).
Result<> SaveFramePicture(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                          int height, uint32_t seed);

// Writes the tree of `model` as a new binary glTF file at `path`, as SaveFramePicture does.
Result<> SaveTreeGlb(const std::string& path, const TreeModel& model, uint32_t seed);
