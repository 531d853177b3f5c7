#include "viewer/GlView.h"

#include <GL/gl.h>

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QWindow>

#include "render/GlContextState.h"
#include "render/ViewState.h"

GlView::GlView(QWindow& window) : window_(window) {}

GlView::~GlView() {
    Release();
}

bool GlView::Create() {
    return Adopt(std::make_unique<QOpenGLContext>());
}

bool GlView::Adopt(std::unique_ptr<QOpenGLContext> context) {
    context->setFormat(window_.requestedFormat());
    if (!context->create() || !context->makeCurrent(&window_)) {
        return false;
    }
    // The old context's state goes first: its destructor makes no OpenGL call, and its
    // objects go with the old context.
    state_.reset();
    context_ = std::move(context);
    // Everything the drawing remembers about this context starts here, empty.
    QOpenGLContext* current = context_.get();
    state_ = std::make_unique<GlContextState>(
        [current](const char* name) { return current->getProcAddress(name); });
    SetInitialGlState();
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    if (dims[0] > 0 && dims[1] > 0) {
        largestSurface_ = QSize(dims[0], dims[1]);
    }
    return true;
}

bool GlView::Renew() {
    // Only on X11: Qt's Wayland platform draws a decorated window into a framebuffer it
    // made in the window's first context, which a new context would not draw into.
    if (!context_ || QGuiApplication::platformName() != QStringLiteral("xcb")) {
        return false;
    }
    if (!Adopt(std::make_unique<QOpenGLContext>())) {
        // The old context is still there, but no longer current.
        context_->makeCurrent(&window_);
        return false;
    }
    ++renewals_;
    return true;
}

void GlView::Release() {
    // The state holds the context's textures and buffers: it goes while the context is
    // still there.
    state_.reset();
    if (context_) {
        context_->doneCurrent();
        context_.reset();
    }
}

void GlView::MakeCurrent() {
    context_->makeCurrent(&window_);
    state_->MakeCurrent();
}

void GlView::Present() {
    if (window_.isExposed()) {
        context_->swapBuffers(&window_);
    }
}

std::string GlView::RendererText() const {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!renderer) {
        return "UnknownDevice";
    }
    std::string text = renderer;
    if (version) {
        text += std::string(" (") + version + ")";
    }
    return text;
}

bool GlView::TooLarge(int cx, int cy) const {
    return largestSurface_.isValid() &&
           (cx > largestSurface_.width() || cy > largestSurface_.height());
}
