#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "mesh/TreeLevels.h"
#include "model/Camera.h"
#include "model/TreeParams.h"

class TreeModel;

// One frame drawn exactly as the viewer draws it (camera, sky, ground, shadow, tree and,
// unless left out, the overlay with the buttons not hovered and the help hidden), into an
// OpenGL context of its own that needs no window and no display server.
struct StillFrame {
    Camera camera;
    const TreeModel* model = nullptr; // grown
    TreeParams params;                // the tree's parameters (its scale and shadow)
    int width = 540;
    int height = 350;
    bool overlay = true;
    // The wind's sway time the tree is drawn at (see FrameScene::windSeconds); none: at rest.
    std::optional<double> windSeconds;
    // A lighter level of the tree's chain to draw in place of the full tree (not owned;
    // none: the full tree), with the impostor's atlas when it is the impostor.
    const TreeLevel* level = nullptr;
    const struct ImpostorAtlas* atlas = nullptr;
    // False draws the tree alone, no sky, ground or shadow, and the picture's alpha is
    // 255 where the tree is and 0 elsewhere: its outline.
    bool scenery = true;
};

// The pictures an impostor's quads show (see ImpostorFrame): one cell a view, side by
// side, RGBA with the alpha 255 on the tree and 0 around it, the top row first.
struct ImpostorAtlas {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// Draws the slices of `full`, the mesh of `model` grown with `params`, in the views of
// `frame` (ImpostorSlices), lit as the viewer lights the tree, each cell `cellHeight`
// pixels high and as wide as the frame's shape gives. Fails when no OpenGL context can be
// had.
Result<ImpostorAtlas> RenderImpostorAtlas(const TreeModel& model, const TreeParams& params,
                                          const TreeMesh& full, const ImpostorFrame& frame,
                                          int cellHeight = 256);

// Draws `frame` and returns its RGBA pixels, the bottom row first, in `rgba`. Fails when no
// OpenGL context can be had.
Result<> RenderStillFrame(const StillFrame& frame, std::vector<uint8_t>& rgba);
