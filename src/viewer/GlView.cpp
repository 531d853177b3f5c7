#include "viewer/GlView.h"

#include <GL/gl.h>

#include <QOpenGLContext>
#include <QWindow>

#include "render/GlContextState.h"
#include "render/ViewState.h"

GlView::GlView(QWindow& window) : window_(window) {}

GlView::~GlView() {
    Release();
}

bool GlView::Create() {
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(window_.requestedFormat());
    if (!context_->create() || !context_->makeCurrent(&window_)) {
        context_.reset();
        return false;
    }
    // Everything the drawing remembers about this context starts here, empty.
    QOpenGLContext* context = context_.get();
    state_ = std::make_unique<GlContextState>(
        [context](const char* name) { return context->getProcAddress(name); });
    SetInitialGlState();
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    if (dims[0] > 0 && dims[1] > 0) {
        largestSurface_ = QSize(dims[0], dims[1]);
    }
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
