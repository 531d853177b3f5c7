#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/ExportFrame.h"
#include "export/FileOutput.h"
#include "export/PngEncoder.h"
#include "mesh/TreeLevels.h"
#include "model/TreeSession.h"

// The two files a tree session is saved as, the same from the viewer's P and E keys and
// from the command line's --render and --export: each is added to `files`, complete, to be
// put in place by files.PlaceAll() with whatever else belongs with it.

// What a .glb export holds besides the full tree (an .obj holds the full tree alone).
struct TreeExportLevels {
    int count = 1;     // levels of detail, 1 to MaxTreeLevels: the full tree, then LighterLevels
    bool wind = false; // wind data, its morph targets and the "wind" animation (GltfWriter.h)
    // Draws the impostor's pictures of the session's tree, whose full mesh is `full`, in
    // `frame` (RGBA, the top row first), for a chain of three levels or more, which ends in
    // the impostor. The export has no OpenGL of its own: the caller hands it the program's
    // drawing.
    std::function<Result<RasterImage>(const TreeMesh& full, const ImpostorFrame& frame)>
        drawImpostor;
};

// The tree of `session` for `path` in the format its extension names (ExportTree: .glb, or
// .obj with its material library and pictures): the built-in bark and leaf pictures, the
// mesh of the session's tree and parameters (built once, and the lighter levels and the
// impostor's pictures made from it), and its seed and parameters as the files record them.
// Building is the first half of `progress`, writing the second.
Result<> AddTreeExport(const std::string& path, const TreeSession& session, PendingFiles& files,
                       const ExportProgress& progress = {}, const TreeExportLevels& levels = {});

// A frame read back from OpenGL (RGBA, bottom row first) as a PNG file at `path`, its
// text naming the program ("Software") and the seed of the tree it shows ("Seed").
Result<> AddFramePicture(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                         int height, uint32_t seed, PendingFiles& files);
