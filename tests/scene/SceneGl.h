#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <cstdlib>

#include "GlTestContext.h"
#include "render/ViewState.h"

// The state the viewer window sets up once for its context, plus the projection and the
// viewport its size handler sets, for a framebuffer of the context's size.
inline void SetUpViewerState(const GlTestContext& gl) {
    SetInitialGlState();
    ApplyProjection(gl.width(), gl.height());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// True when every channel of `px` is within `tolerance` of (r, g, b).
inline bool Near(const std::array<uint8_t, 4>& px, int r, int g, int b, int tolerance = 6) {
    return std::abs(px[0] - r) <= tolerance && std::abs(px[1] - g) <= tolerance &&
           std::abs(px[2] - b) <= tolerance;
}

// A pixel addressed in window coordinates from the top-left corner, y down.
inline std::array<uint8_t, 4> PixelFromTop(const GlTestContext& gl, int x, int y) {
    return gl.pixel(x, gl.height() - 1 - y);
}
