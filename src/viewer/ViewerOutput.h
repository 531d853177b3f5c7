#pragma once

#include <cstdint>
#include <string>

// What the viewer writes into the working folder on the user's request: a picture of the
// frame on screen (P) and the tree as binary glTF (E), under names that never replace an
// existing file, with a short notice over the frame. The files themselves are those the
// command line writes (export/SessionOutput.h).

// The first name "dendrova-seed<seed>-<n><extension>" (n = 1, 2, ...) that nothing holds
// in `folder`: no file, no folder, no link (a broken one included).
std::string FreeOutputName(const std::string& folder, uint32_t seed, const char* extension);
