#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class GlContextState;
class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

// A real OpenGL context (Mesa through Qt's xcb/GLX integration, so tests run under
// xvfb-run) with an off-screen framebuffer of the given size bound for drawing, and the
// drawing's state for it (GlContextState), made with it. The context is current from
// construction on.
class GlTestContext {
public:
    explicit GlTestContext(int width = 256, int height = 256);
    ~GlTestContext();

    void makeCurrent();
    GlContextState& state() { return *state_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // RGBA bytes of the framebuffer, row 0 at the bottom (OpenGL order).
    std::vector<uint8_t> readPixels() const;
    // One pixel, (x, y) from the bottom-left corner.
    std::array<uint8_t, 4> pixel(int x, int y) const;
    // Writes the framebuffer to a PNG, top row first, for looking at it.
    void savePng(const char* path) const;

private:
    int width_;
    int height_;
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
    std::unique_ptr<GlContextState> state_;
};

// Makes sure a QGuiApplication exists (tests without one of their own).
void EnsureGuiApplication();
