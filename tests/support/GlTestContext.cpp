#include "GlTestContext.h"

#include <GL/gl.h>

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <stdexcept>

#include "render/GlContextState.h"

void EnsureGuiApplication() {
    if (QCoreApplication::instance()) {
        return;
    }
    static int argc = 1;
    static char name[] = "dendrova-tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

GlTestContext::GlTestContext(int width, int height) : width_(width), height_(height) {
    EnsureGuiApplication();
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    surface_ = std::make_unique<QOffscreenSurface>();
    surface_->setFormat(format);
    surface_->create();
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(format);
    if (!context_->create() || !context_->makeCurrent(surface_.get())) {
        throw std::runtime_error("no OpenGL context");
    }
    QOpenGLFramebufferObjectFormat fboFormat;
    fboFormat.setAttachment(QOpenGLFramebufferObject::Depth);
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(width, height, fboFormat);
    fbo_->bind();
    glViewport(0, 0, width, height);
    QOpenGLContext* context = context_.get();
    state_ = std::make_unique<GlContextState>(
        [context](const char* name) { return context->getProcAddress(name); });
}

GlTestContext::~GlTestContext() {
    state_.reset();
    context_->makeCurrent(surface_.get());
    fbo_.reset();
    context_->doneCurrent();
}

void GlTestContext::makeCurrent() {
    context_->makeCurrent(surface_.get());
    fbo_->bind();
    state_->MakeCurrent();
}

std::vector<uint8_t> GlTestContext::readPixels() const {
    std::vector<uint8_t> out(static_cast<size_t>(width_) * height_ * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    return out;
}

std::array<uint8_t, 4> GlTestContext::pixel(int x, int y) const {
    std::array<uint8_t, 4> out{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    return out;
}

void GlTestContext::savePng(const char* path) const {
    const auto pixels = readPixels();
    QImage image(width_, height_, QImage::Format_RGBA8888);
    for (int y = 0; y < height_; ++y) {
        memcpy(image.scanLine(height_ - 1 - y), pixels.data() + static_cast<size_t>(y) * width_ * 4,
               static_cast<size_t>(width_) * 4);
    }
    // The framebuffer's alpha is not part of the picture a window shows.
    image.convertToFormat(QImage::Format_RGB888).save(path);
}
