#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <cstdlib>

#include "GlTestContext.h"

// The state the viewer window sets up once for its context, plus the projection and the
// viewport its size handler sets, for a framebuffer of the context's size.
inline void SetUpViewerState(const GlTestContext& gl) {
    glClearDepth(5.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    const GLfloat ambient[] = {1.0f, 1.0f, 1.0f, 0.5f};
    const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 0.8f};
    const GLfloat position[] = {1.0f, 0.0f, 0.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);

    glViewport(0, 0, gl.width(), gl.height());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.6000000238418579, 0.6000000238418579, -1, 1, 1, 3e10);
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
