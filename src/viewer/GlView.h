#pragma once

#include <QSize>

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
    QWindow& window_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<GlContextState> state_;
    QSize largestSurface_;
};
