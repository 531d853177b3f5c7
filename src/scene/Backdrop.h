#pragma once

#include <cstdint>

#include "render/Texture.h"

// The textured sky wall with its ceiling disc and the textured ground the tree stands on.
// Both are drawn unlit in the frame the camera and the spin angle set up.
class Backdrop {
public:
    Backdrop();
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

    // An open 20-sided wall of radius 800 from height 1 to 1201, the sky picture wrapped
    // three times around it, closed above by a flat deep-blue disc at height 1081.
    void drawSky();
    // A 1800 x 1800 square at height 0 with the ground picture repeated 16 times a side.
    void drawGround();

    Texture sky;
    Texture ground;
    int32_t segments = 20;
    float ceilingColour[3] = {0.09375f, 0.234375f, 0.41796875f};
};
