#include "viewer/ViewerWindow.h"

#include <GL/gl.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QResizeEvent>
#include <QSurfaceFormat>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/Platform.h"
#include "render/GlContextState.h"
#include "scene/FeedbackMail.h"
#include "viewer/FrameRenderer.h"
#include "viewer/Statistics.h"

namespace {

QSurfaceFormat RequestedFormat() {
    // A double-buffered RGBA surface with a depth buffer; no alpha, stencil,
    // accumulation or auxiliary buffers.
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(0);
    format.setAlphaBufferSize(0);
    return format;
}

} // namespace

std::string ContextFailureText(int errorCode) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08x", static_cast<unsigned>(errorCode));
    return std::string("Failed to initialize OpenGL subsystem. \r\nError Code:  ") + code +
           "\r\n\r\nA hardware 3D accelerator is required.\r\nOr you'd better update your "
           "video card driver.\r\n\r\nPlease contact " +
           FeedbackAddress + " with\r\nthe error code. Thank you for the cooperation.";
}

ViewerWindow::ViewerWindow(TreeSession& session)
    : helpImage("help.BMP", OverlayBitmap, -1.0f), buttonImage("button.bmp", OverlayBitmap, -1.0f),
      session_(session) {
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(RequestedFormat());
    setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setTitle(QString::fromUtf8(InitialViewerTitle));
    setGeometry(0, 0, 320, 40);
    setMinimumSize(QSize(MinimumClientWidth, MinimumClientHeight));
}

ViewerWindow::~ViewerWindow() {
    navigation_.Stop();
    glState_.reset();
    if (context_) {
        context_->doneCurrent();
        context_.reset();
    }
}

bool ViewerWindow::CreateSized(int width, int height) {
    create();
    if (!handle()) {
        return false;
    }
    InitializeWindow();
    SetOuterSize(width, height);
    return true;
}

void ViewerWindow::InitializeWindow() {
    icon_.addFile(QStringLiteral(":/icons/icon-32.png"), QSize(32, 32));
    icon_.addFile(QStringLiteral(":/icons/icon-16.png"), QSize(16, 16));
    setIcon(icon_);
    errno = 0;
    if (!InitContext()) {
        ShowContextFailure(errno);
        return;
    }
    contextReady = true;
    LimitSurfaceSize();
    session_.Regrow();
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    std::string title = " Dendrova on ";
    if (!renderer) {
        title += "UnknownDevice";
    } else {
        title += renderer;
        if (version) {
            title += std::string(" (") + version + ")";
        }
    }
    // The seed lets the tree on screen be grown again (--seed).
    title += " - seed " + std::to_string(session_.seed());
    setTitle(QString::fromStdString(title));
}

bool ViewerWindow::InitContext() {
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(requestedFormat());
    if (!context_->create() || !context_->makeCurrent(this)) {
        context_.reset();
        return false;
    }
    // Everything the drawing remembers about this context starts here, empty.
    QOpenGLContext* context = context_.get();
    glState_ = std::make_unique<GlContextState>(
        [context](const char* name) { return context->getProcAddress(name); });
    SetInitialGlState();
    return true;
}

void ViewerWindow::MakeContextCurrent() {
    // Made current before every frame, even when it already is: on Wayland this is when
    // the platform sets up the surface's framebuffer (and that of its client-side
    // decorations), without which swapping the buffers crashes.
    context_->makeCurrent(this);
    glState_->MakeCurrent();
}

void ViewerWindow::ShowContextFailure(int errorCode) {
    CurrentPlatform().ShowError(ContextFailureText(errorCode));
}

void ViewerWindow::DestroyWindow() {
    navigation_.Stop();
    if (contextReady && context_) {
        glState_.reset();
        context_->doneCurrent();
        context_.reset();
    }
    destroy();
}

void ViewerWindow::LimitSurfaceSize() {
    // A drawing surface larger than the implementation's largest viewport is beyond what
    // the renderer can draw (a software renderer crashes on it).
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    if (dims[0] <= 0 || dims[1] <= 0) {
        return;
    }
    largestSurface_ = QSize(dims[0], dims[1]);
    const qreal ratio = devicePixelRatio();
    setMaximumSize(QSize(std::max(minimumWidth(), static_cast<int>(dims[0] / ratio)),
                         std::max(minimumHeight(), static_cast<int>(dims[1] / ratio))));
}

bool ViewerWindow::SurfaceTooLarge(int cx, int cy) const {
    return largestSurface_.isValid() &&
           (cx > largestSurface_.width() || cy > largestSurface_.height());
}

void ViewerWindow::SetOuterSize(int width, int height) {
    const QMargins m = frameMargins();
    const QSize client = QSize(width - m.left() - m.right(), height - m.top() - m.bottom())
                             .expandedTo(minimumSize())
                             .boundedTo(maximumSize());
    resize(client);
    if ((windowStates() & (Qt::WindowMaximized | Qt::WindowFullScreen)) == 0) {
        normalOuterSize_ = client.grownBy(m);
    }
}

bool ViewerWindow::WaitUntilExposed(int timeoutMs) {
    // Keys and clicks wait for the event loop.
    const QDeadlineTimer deadline(timeoutMs);
    while (!isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(
            QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers, 10);
        if (!isExposed()) {
            QThread::msleep(5);
        }
    }
    return isExposed();
}

QSize ViewerWindow::OverlaySize() const {
    const qreal ratio = devicePixelRatio();
    return QSize(qRound(clientWidth / ratio), qRound(clientHeight / ratio));
}

QSize ViewerWindow::NormalOuterSize() const {
    if ((windowStates() & Qt::WindowMaximized) && normalOuterSize_.isValid()) {
        return normalOuterSize_;
    }
    return frameGeometry().size();
}

void ViewerWindow::RememberNormalSize() {
    if ((windowStates() & (Qt::WindowMaximized | Qt::WindowFullScreen)) == 0) {
        normalOuterSize_ = frameGeometry().size();
    }
}

void ViewerWindow::RebuildTree() {
    session_.Regrow();
    // A parameter file loaded from the control panel may bring another seed; the title
    // keeps naming the one the tree was grown with.
    const QString seedLabel = QStringLiteral(" - seed ");
    const QString base = title();
    const qsizetype at = base.lastIndexOf(seedLabel);
    if (at >= 0)
        setTitle(base.left(at) + seedLabel + QString::number(session_.seed()));
}

void ViewerWindow::RenderFrame() {
    if (!contextReady || !context_ || SurfaceTooLarge(clientWidth, clientHeight)) {
        return;
    }
    MakeContextCurrent();
    const QSize overlay = OverlaySize();
    const FrameScene scene{
        &camera,    aspect,       &backdrop,       &session_.model(), &session_.params(),
        &helpImage, &buttonImage, overlay.width(), overlay.height(),  hoveredButton,
        helpVisible};
    const FrameStats stats = DrawFrame(scene, *glState_);
    if (captureNextFrame_) {
        captureNextFrame_ = false;
        capturedFrame_.assign(static_cast<size_t>(clientWidth) * clientHeight * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, clientWidth, clientHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                     capturedFrame_.data());
    }
    // After the read-back: the notice is on screen, never in P's picture.
    if (notice_.Visible()) {
        DrawNotice(notice_.Picture(clientWidth, clientHeight, devicePixelRatio()));
    }
    if (isExposed()) {
        context_->swapBuffers(this);
    }
    ++framesDrawn;
    lastStatistics = FormatStatistics(stats, camera);
    if (panel) {
        panel->ShowStatistics(lastStatistics);
    }
}

void ViewerWindow::OnSize(int cx, int cy) {
    clientWidth = cx;
    clientHeight = cy;
    if (SurfaceTooLarge(cx, cy)) {
        // Made larger than the renderer can draw by something that ignores the maximum
        // size (there is no window manager): nothing is drawn until it is back within it.
        resize(size().boundedTo(maximumSize()));
        return;
    }
    if (cy <= 0 || !contextReady || !context_) {
        return;
    }
    MakeContextCurrent();
    ApplyProjection(cx, cy);
    // A zero width keeps the previous aspect instead of dividing by zero.
    if (cx > 0) {
        aspect = static_cast<double>(cy) / static_cast<double>(cx);
    }
    RenderFrame();
}

bool ViewerWindow::event(QEvent* e) {
    if (e->type() == QEvent::Close) {
        // The close box and the window manager's close run the close sequence, which
        // destroys the window itself.
        e->ignore();
        if (onCancel) {
            onCancel();
        }
        return true;
    }
    if (e->type() == QEvent::WindowStateChange) {
        RememberNormalSize();
    }
    if (e->type() == QEvent::Leave) {
        // The pointer left the window: no button stays highlighted.
        SetHovered(OverlayButton::None);
    }
    return QWindow::event(e);
}

void ViewerWindow::exposeEvent(QExposeEvent*) {
    if (isExposed() && contextReady) {
        RenderFrame();
    }
}

void ViewerWindow::resizeEvent(QResizeEvent* e) {
    RememberNormalSize();
    const qreal ratio = devicePixelRatio();
    OnSize(static_cast<int>(e->size().width() * ratio),
           static_cast<int>(e->size().height() * ratio));
}

void ViewerWindow::keyPressEvent(QKeyEvent* e) {
    // One file per press: a held key writes no more.
    if (e->key() == Qt::Key_P || e->key() == Qt::Key_E) {
        if (!e->isAutoRepeat()) {
            e->key() == Qt::Key_P ? SaveSnapshot() : ExportGlb();
        }
        return;
    }
    if (navigation_.KeyPress(e->key(), e->isAutoRepeat())) {
        return;
    }
    switch (e->key()) {
    case Qt::Key_Escape:
        if (onCancel) {
            onCancel();
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return; // Enter never closes the viewer
    default:
        QWindow::keyPressEvent(e);
    }
}

void ViewerWindow::keyReleaseEvent(QKeyEvent* e) {
    if (!navigation_.KeyRelease(e->key(), e->isAutoRepeat())) {
        QWindow::keyReleaseEvent(e);
    }
}

void ViewerWindow::focusOutEvent(QFocusEvent* e) {
    navigation_.FocusLost();
    QWindow::focusOutEvent(e);
}

void ViewerWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (hoveredButton != OverlayButton::None) {
            setCursor(handCursor_);
        } else {
            navigation_.StartMove(MoveMode::Forward);
            setCursor(arrowCursor_);
        }
    } else if (e->button() == Qt::RightButton) {
        navigation_.StartMove(MoveMode::Backward);
    }
}

void ViewerWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (navigation_.Mode() != MoveMode::None) {
            navigation_.EndMove();
            return;
        }
        setCursor(hoveredButton != OverlayButton::None ? handCursor_ : arrowCursor_);
        if (hoveredButton != OverlayButton::None) {
            // A click acts on release, over the button found by the last pointer move.
            navigation_.ButtonClicked(CommandLetter(hoveredButton));
        }
    } else if (e->button() == Qt::RightButton) {
        navigation_.EndMove();
    }
}

void ViewerWindow::mouseMoveEvent(QMouseEvent* e) {
    UpdateHover(e->position());
}

void ViewerWindow::UpdateHover(QPointF position) {
    // Hit areas in the overlay's own pixels, as it is drawn.
    const QSize overlay = OverlaySize();
    SetHovered(HitTestButton(static_cast<int32_t>(position.x()), static_cast<int32_t>(position.y()),
                             overlay.width(), overlay.height()));
}

void ViewerWindow::SetHovered(OverlayButton button) {
    const bool wasNone = hoveredButton == OverlayButton::None;
    hoveredButton = button;
    const bool isNone = hoveredButton == OverlayButton::None;
    setCursor(isNone ? arrowCursor_ : handCursor_);
    // The bar brightens while a button is hovered; with auto spin on the next tick
    // redraws anyway.
    if (wasNone != isNone && !navigation_.Spinning()) {
        RenderFrame();
    }
}

void ViewerWindow::GrabMouse(bool grab) {
    setMouseGrabEnabled(grab);
}

void ViewerWindow::ToggleHelp() {
    helpVisible = !helpVisible;
    RenderFrame();
}

void ViewerWindow::ShowControlPanel() {
    if (panel) {
        panel->ShowAndFocus();
    }
}
