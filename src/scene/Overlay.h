#pragma once

#include <cstdint>

#include "render/Texture.h"

// The four on-screen buttons of the overlay's bar.
enum class OverlayButton : int32_t { None = 0, Spin = 1, Help = 2, Tree = 3, Mail = 4 };

// Part of a picture in pixels as shown on screen, from its top-left corner (x right, y
// down); right and bottom are exclusive.
struct SourceRect {
    int32_t left, top, right, bottom;
};

// A picture drawn as a screen-aligned, alpha-blended quad in window pixels.
class OverlayImage {
public:
    OverlayImage(const char* resourceName, TextureKind kind, float depth);
    OverlayImage(const OverlayImage&) = delete;
    OverlayImage& operator=(const OverlayImage&) = delete;

    // Horizontal anchor: 0 centred, -1 against the left edge, anything else the right edge.
    // Vertical anchor: 0 centred, 1 against the bottom edge, anything else the top edge.
    void setLayout(int32_t horizontalAnchor, int32_t verticalAnchor, int32_t width, int32_t height);
    // Draws the quad (or the part `rect` of the picture, when given) with its texels'
    // alpha multiplied by `alpha`. `packedClientSize` comes from beginOverlay.
    void draw(uint32_t packedClientSize, float alpha, const SourceRect* rect);

    Texture texture;
    float depth;
    int32_t horizontalAnchor = 0, verticalAnchor = 0, width = 0, height = 0;
};

// Selects and pushes the modelview matrix and scales it so one unit is one window pixel
// (on top of the pass's scale(1.2, 2, 1)); returns (W << 16) | H.
uint32_t beginOverlay(int32_t clientWidth, int32_t clientHeight);
// Selects and pops the modelview matrix pushed by beginOverlay.
void endOverlay();

// The overlay pass: loads identity * scale(1.2, 2, 1) into the modelview matrix, then
// draws the credit strip, the title banner, the button bar and, with the help shown, the
// help legend and the credits panel. A client area without width or height gets none.
void drawOverlay(OverlayImage& helpImage, OverlayImage& buttonImage, int32_t clientWidth,
                 int32_t clientHeight, OverlayButton hovered, bool helpVisible);

// The button under client coordinates (x, y) (origin top-left, y down) for a client area
// of the given size.
OverlayButton HitTestButton(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight);

// The lower-case command letter a click on `button` sends; 0 for None.
char CommandLetter(OverlayButton button);
