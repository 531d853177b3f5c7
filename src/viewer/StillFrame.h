#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Failure.h"
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
};

// Draws `frame` and returns its RGBA pixels, the bottom row first, in `rgba`. Fails when no
// OpenGL context can be had.
Result<> RenderStillFrame(const StillFrame& frame, std::vector<uint8_t>& rgba);
