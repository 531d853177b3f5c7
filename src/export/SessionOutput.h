#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportFrame.h"
#include "export/FileOutput.h"
#include "model/TreeSession.h"

// The two files a tree session is saved as, the same from the viewer's P and E keys and
// from the command line's --render and --export: each is added to `files`, complete, to be
// put in place by files.PlaceAll() with whatever else belongs with it.

// The tree of `session` for `path` in the format its extension names (ExportTree: .glb, or
// .obj with its material library and pictures): the built-in bark and leaf pictures, the
// mesh of the session's tree and parameters, and its seed and parameters as the files
// record them. Building the mesh is the first half of `progress`, writing the second.
Result<> AddTreeExport(const std::string& path, const TreeSession& session, PendingFiles& files,
                       const ExportProgress& progress = {});

// A frame read back from OpenGL (RGBA, bottom row first) as a PNG file at `path`, its
// text naming the program ("Software") and the seed of the tree it shows ("Seed").
Result<> AddFramePicture(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                         int height, uint32_t seed, PendingFiles& files);
