#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "mesh/FrameStats.h"
#include "model/Camera.h"
#include "model/TreeParams.h"
#include "render/ImpostorDrawing.h"
#include "render/ViewState.h"
#include "scene/Overlay.h"

class Backdrop;
class GlContextState;
class TreeModel;

// The OpenGL side of a viewer frame, free of any window toolkit so that tests and
// benchmarks can draw the same frame into an off-screen framebuffer.

// Camera transform at the start of a frame.
void ApplyCamera(const Camera& camera, double aspect);

// Everything a frame shows, as the viewer holds it.
struct FrameScene {
    const Camera* camera;
    double aspect;
    Backdrop* backdrop;
    const TreeModel* model;
    const TreeParams* params; // the tree's: its side-branch scale and its shadow
    OverlayImage* helpImage;
    OverlayImage* buttonImage;
    int32_t clientWidth;
    int32_t clientHeight;
    OverlayButton hoveredButton;
    bool helpVisible;
    bool overlayVisible = true; // false leaves the buttons and pictures out (still pictures)
    // An impostor drawn in place of the tree and its shadow (not owned; none: the tree).
    const ImpostorDraw* impostor = nullptr;
    // False draws the tree alone on a transparent background: no sky, ground or shadow
    // (a picture of its outline).
    bool sceneryVisible = true;
    // The wind's sway time: seconds since the wind started (W in the viewer), which the
    // tree and its shadow sway to; none: no wind, the tree at rest.
    std::optional<double> windSeconds = std::nullopt;
};

// Clears and draws sky and ground, the shadow, the tree and the overlay, then glFinish, in
// the context of `state`. Returns the frame's statistics: those of the shadow pass and the
// tree pass together. Presenting the picture is left to the caller.
FrameStats DrawFrame(const FrameScene& scene, GlContextState& state);

// The frame just drawn in the current context, width x height pixels from the lower left
// corner, as RGBA bytes, the bottom row first.
std::vector<uint8_t> ReadFramePixels(int32_t width, int32_t height);

// Where the frame just drawn put anything that writes depth (the tree, when the scenery
// is left out), width x height from the lower left corner: 255 there, 0 elsewhere.
std::vector<uint8_t> ReadCoverage(int32_t width, int32_t height);
