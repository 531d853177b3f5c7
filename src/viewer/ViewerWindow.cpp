#include "viewer/ViewerWindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QSurfaceFormat>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/AllocatorTuning.h"
#include "platform/Platform.h"
#include "render/GlContextState.h"
#include "scene/FeedbackMail.h"
#include "viewer/FrameRenderer.h"
#include "viewer/Framing.h"
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
    : session_(session), helpImage_("help.BMP", OverlayBitmap, -1.0f),
      buttonImage_("button.bmp", OverlayBitmap, -1.0f) {
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
    wind_.Stop();
    view_.Release();
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
    if (!view_.Create()) {
        ShowContextFailure(errno);
        return;
    }
    LimitSurfaceSize();
    session_.Regrow();
    rendererText_ = view_.RendererText();
    ShowTitle();
}

void ViewerWindow::ShowTitle() {
    // The seed lets the tree on screen be grown again (--seed).
    setTitle(QString::fromStdString(" Dendrova on " + rendererText_ + " - seed " +
                                    std::to_string(session_.seed())));
}

void ViewerWindow::ShowContextFailure(int errorCode) {
    CurrentPlatform().ShowError(ContextFailureText(errorCode));
}

void ViewerWindow::DestroyWindow() {
    navigation_.Stop();
    wind_.Stop();
    view_.Release();
    destroy();
}

void ViewerWindow::LimitSurfaceSize() {
    const QSize largest = view_.LargestSurface();
    if (!largest.isValid()) {
        return;
    }
    const qreal ratio = devicePixelRatio();
    setMaximumSize(QSize(std::max(minimumWidth(), static_cast<int>(largest.width() / ratio)),
                         std::max(minimumHeight(), static_cast<int>(largest.height() / ratio))));
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
    return QSize(qRound(clientWidth_ / ratio), qRound(clientHeight_ / ratio));
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
    // A slider drag, wheel or typed value: the tree is moving.
    motion_.Moved();
    session_.Regrow();
    shrinkTrim_.Grown(session_.model().lastGrowthRecords());
    // A parameter file loaded from the control panel may bring another seed; the title
    // keeps naming the one the tree was grown with.
    if (view_.Ready()) {
        ShowTitle();
    }
}

void ViewerWindow::RenderFrame() {
    if (!view_.Ready() || view_.TooLarge(clientWidth_, clientHeight_)) {
        return;
    }
    view_.MakeCurrent();
    const QSize overlay = OverlaySize();
    FrameScene scene{&camera_,           aspect_,        &backdrop_,    &session_.model(),
                     &session_.params(), &helpImage_,    &buttonImage_, overlay.width(),
                     overlay.height(),   hoveredButton_, helpVisible_};
    scene.windSeconds = wind_.Seconds();
    // A slow tree is drawn lighter while the view moves or the wind blows; P's picture is
    // always the full tree.
    const int level = motion_.BeginFrame(session_.model(), session_.params(), *view_.State(),
                                         captureNextFrame_, scene.windSeconds.has_value());
    QElapsedTimer drawing;
    drawing.start();
    FrameStats stats = DrawFrame(scene, *view_.State());
    const double frameMs = static_cast<double>(drawing.nsecsElapsed()) * 1e-6;
    motion_.EndFrame(level, frameMs, *view_.State());
    if (level > 0) {
        stats = motion_.FullStats();
    }
    if (captureNextFrame_) {
        captureNextFrame_ = false;
        capturedFrame_ = ReadFramePixels(clientWidth_, clientHeight_);
    }
    // After the read-back: the notice is on screen, never in P's picture.
    FrameNotice& notice = output_.Notice();
    if (notice.Visible()) {
        DrawNotice(notice.Picture(clientWidth_, clientHeight_, devicePixelRatio()));
    }
    view_.Present();
    if (shrinkTrim_.Drawn()) {
        LetGoOfLargeTree(scene, level == 0 && frameMs <= MotionDetail::BudgetMs);
    }
    ++framesDrawn_;
    lastStatistics_ = FormatStatistics(stats, camera_);
    if (panel_) {
        panel_->ShowStatistics(lastStatistics_);
    }
}

void ViewerWindow::LetGoOfLargeTree(const FrameScene& scene, bool quick) {
    // What the driver keeps for a large tree it drew (a software renderer's caches) goes
    // only with its context: a new one takes its place when the tree shown is quick to
    // draw. The frame is drawn once more, unseen, so that the next one, whose time the
    // moving picture measures, does not pay for compiling the new context's shaders.
    if (quick && view_.Renew()) {
        ApplyProjection(clientWidth_, clientHeight_);
        DrawFrame(scene, *view_.State());
    }
    ReturnFreeMemory();
}

void ViewerWindow::FrameTheTree() {
    const double aspect = aspect_ > 0.0 ? aspect_ : 350.0 / 540.0;
    camera_ = FrameTree(session_.model(), session_.params(), camera_, aspect);
    RenderFrame();
}

void ViewerWindow::ToggleWind() {
    wind_.Toggle();
    RenderFrame();
}

bool ViewerWindow::SaveSnapshot() {
    if (!view_.Ready() || clientWidth_ <= 0 || clientHeight_ <= 0) {
        return false;
    }
    captureNextFrame_ = true;
    RenderFrame();
    const bool saved =
        output_.SavePicture(capturedFrame_, clientWidth_, clientHeight_, session_.seed());
    capturedFrame_.clear();
    return saved;
}

bool ViewerWindow::ExportGlb() {
    return view_.Ready() && output_.ExportTree(session_);
}

void ViewerWindow::OnSize(int cx, int cy) {
    clientWidth_ = cx;
    clientHeight_ = cy;
    if (view_.TooLarge(cx, cy)) {
        // Made larger than the renderer can draw by something that ignores the maximum
        // size (there is no window manager): nothing is drawn until it is back within it.
        resize(size().boundedTo(maximumSize()));
        return;
    }
    if (cy <= 0 || !view_.Ready()) {
        return;
    }
    view_.MakeCurrent();
    ApplyProjection(cx, cy);
    // A zero width keeps the previous aspect instead of dividing by zero.
    if (cx > 0) {
        aspect_ = static_cast<double>(cy) / static_cast<double>(cx);
    }
    RenderFrame();
}

bool ViewerWindow::event(QEvent* e) {
    if (e->type() == QEvent::Close) {
        // The close box and the window manager's close run the close sequence, which
        // destroys the window itself.
        e->ignore();
        if (onCancel_) {
            onCancel_();
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
    if (isExposed() && view_.Ready()) {
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
    if (e->key() == Qt::Key_Home) {
        if (!e->isAutoRepeat()) {
            FrameTheTree();
        }
        return;
    }
    if (e->key() == Qt::Key_N) {
        if (!e->isAutoRepeat() && panel_) {
            panel_->NewRandomTree();
        }
        return;
    }
    if (e->key() == Qt::Key_W) {
        if (!e->isAutoRepeat()) {
            ToggleWind();
        }
        return;
    }
    if (navigation_.KeyPress(e->key(), e->isAutoRepeat())) {
        return;
    }
    switch (e->key()) {
    case Qt::Key_Escape:
        if (onCancel_) {
            onCancel_();
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
        if (hoveredButton_ != OverlayButton::None) {
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
        setCursor(hoveredButton_ != OverlayButton::None ? handCursor_ : arrowCursor_);
        if (hoveredButton_ != OverlayButton::None) {
            // A click acts on release, over the button found by the last pointer move.
            navigation_.ButtonClicked(CommandLetter(hoveredButton_));
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
    const bool wasNone = hoveredButton_ == OverlayButton::None;
    hoveredButton_ = button;
    const bool isNone = hoveredButton_ == OverlayButton::None;
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
    helpVisible_ = !helpVisible_;
    RenderFrame();
}

void ViewerWindow::ShowControlPanel() {
    if (panel_) {
        panel_->ShowAndFocus();
    }
}
