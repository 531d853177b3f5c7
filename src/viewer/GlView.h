#pragma once

#include <QSize>

#include <cstdint>
#include <memory>
#include <string>

class QOpenGLContext;
class QWindow;
class GlContextState;

// The OpenGL side of a viewer window: its context and what the drawing remembers about
// that context (made together, released together, once), and the largest drawing
// surface the renderer can take.
class GlView {
public:
    explicit GlView(QWindow& window);
    ~GlView();
    GlView(const GlView&) = delete;
    GlView& operator=(const GlView&) = delete;

    // Makes the context for the window, makes it current and sets the initial drawing
    // state. False without one; errno then holds what the platform left in it.
    bool Create();
    // Releases the per-context state, then the context. Safe to call again.
    void Release();
    // On X11, puts a new context in the place of the current one, made current, with
    // empty per-context state: the old one goes, and with it all the driver kept for it (a
    // software renderer's compiled shaders and the caches a large tree grew). The old one
    // stays when no new one can be made, and on other platforms. True when renewed.
    bool Renew();
    // Contexts put in the place of an earlier one so far.
    int64_t Renewals() const { return renewals_; }
    bool Ready() const { return context_ != nullptr; }

    // Makes the context current before a frame, even when it already is: on Wayland this
    // is when the platform sets up the surface's framebuffer (and that of its client-side
    // decorations), without which swapping the buffers crashes.
    void MakeCurrent();
    // Shows the frame drawn, when the window is on screen.
    void Present();

    // What the drawing remembers about the context; null without one.
    GlContextState* State() const { return state_.get(); }
    // The renderer and its version as the context names them: "renderer (version)", or
    // "UnknownDevice" when it names none.
    std::string RendererText() const;
    // The implementation's largest viewport in device pixels; invalid while unknown.
    QSize LargestSurface() const { return largestSurface_; }
    // A surface of cx x cy device pixels is beyond what the renderer can draw (a software
    // renderer crashes on it).
    bool TooLarge(int cx, int cy) const;

private:
    // A context for the window, made current, with its state and initial drawing state.
    bool Adopt(std::unique_ptr<QOpenGLContext> context);

    QWindow& window_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<GlContextState> state_;
    QSize largestSurface_;
    int64_t renewals_ = 0;
};
