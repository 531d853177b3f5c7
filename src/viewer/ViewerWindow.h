#pragma once

#include <QCursor>
#include <QIcon>
#include <QWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/Camera.h"
#include "model/TreeSession.h"
#include "panel/PanelViewer.h"
#include "scene/Backdrop.h"
#include "scene/KeyFilter.h"
#include "scene/Overlay.h"
#include "viewer/FrameNotice.h"
#include "viewer/Navigation.h"
#include "viewer/ViewNavigation.h"
#include "viewer/ViewerOutput.h"

class QOpenGLContext;
class GlContextState;

// What the viewer needs of the control panel: the statistics of every frame, and
// showing it on the Tree command. The application connects the two.
class PanelLink {
public:
    virtual ~PanelLink() = default;
    virtual void ShowStatistics(const std::string& text) = 0;
    virtual void ShowAndFocus() = 0;
};

inline constexpr const char* InitialViewerTitle = " Dendrova - [ Initializing OpenGL subsystem ]";

// The scene window: one OpenGL surface with its own context showing the tree of a
// session (owned by the application), the backdrop, the overlay, the camera and its
// navigation.
class ViewerWindow : public QWindow, public NavigationHost, public PanelViewer {
public:
    // Shows the tree of `session`, which must outlive the window; the window grows it
    // first when its context is made, and again on every RebuildTree.
    explicit ViewerWindow(TreeSession& session);
    ~ViewerWindow() override;

    // Creates the native window, runs the window initialisation (context, first growth,
    // title) and gives the window the outer size width x height. True if created.
    bool CreateSized(int width, int height);
    // Releases the context and the native window.
    void DestroyWindow();

    // PanelViewer: regrows the session's tree from its parameters and seed as they are.
    void RebuildTree() override;
    void RenderFrame() override;
    std::optional<Camera> ViewCamera() const override { return camera; }
    void SetViewCamera(const Camera& c) override { camera = c; }

    // NavigationHost
    void ToggleHelp() override;
    void ShowControlPanel() override;
    void GrabMouse(bool grab) override;

    // The keys, the mouse flight and the spin, with their timers.
    ViewNavigation& Navigation() { return navigation_; }
    const ViewNavigation& Navigation() const { return navigation_; }
    // The size handler, with the new client size in device pixels.
    void OnSize(int cx, int cy);
    // Sets the outer (frame-inclusive) size, keeping the position. The size is kept within
    // the window's minimum and maximum.
    void SetOuterSize(int width, int height);
    // Processes window-system events (no input) until the window is on screen, so that the
    // window manager's frame is known, or until `timeoutMs` has passed. True if exposed.
    bool WaitUntilExposed(int timeoutMs);
    // Size of the overlay in its own pixels: the client area in device-independent pixels,
    // so that the pictures and their hit areas keep their size on a high-density screen.
    QSize OverlaySize() const;
    // Outer size of the window in its normal (not maximized) state.
    QSize NormalOuterSize() const;

    // The session whose tree the window shows.
    TreeSession& session() const { return session_; }
    // What the drawing remembers about the window's OpenGL context; null without one.
    GlContextState* glState() const { return glState_.get(); }

    // P: writes the frame on screen as a PNG file; E: the tree as a .glb file. Both go
    // into `outputFolder` under a name no other file has, and say so (with the file's
    // full path) in a notice over the frame for a few seconds. True when the file was
    // written (its path in lastOutputPath).
    bool SaveSnapshot();
    bool ExportGlb();
    std::string outputFolder = ".";
    std::string lastOutputPath;
    // The notice over the frame, for tests.
    const FrameNotice& Notice() const { return notice_; }

    // Smallest client area at which the overlay's pieces do not overlap.
    static constexpr int MinimumClientWidth = 256;
    static constexpr int MinimumClientHeight = 136;

    Camera camera;
    OverlayButton hoveredButton = OverlayButton::None;
    double aspect = 0.0;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    PanelLink* panel = nullptr;
    Backdrop backdrop;
    OverlayImage helpImage;
    OverlayImage buttonImage;
    bool contextReady = false;
    bool helpVisible = false;

    // Run by Escape, the close box and the window manager's close: the application's
    // close sequence.
    std::function<void()> onCancel;
    // Frames drawn so far (for tests and diagnostics).
    int64_t framesDrawn = 0;
    // The statistics text of the last frame.
    std::string lastStatistics;

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void InitializeWindow();
    bool InitContext();
    void MakeContextCurrent();
    void ShowContextFailure(int errorCode);
    void UpdateHover(QPointF position);
    void SetHovered(OverlayButton button);
    void RememberNormalSize();
    bool ReportOutput(const std::string& path, const std::string& error);
    void LimitSurfaceSize();
    bool SurfaceTooLarge(int cx, int cy) const;

    TreeSession& session_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<GlContextState> glState_;
    FrameNotice notice_{[this] { RenderFrame(); }};
    bool captureNextFrame_ = false;
    std::vector<uint8_t> capturedFrame_; // RGBA, bottom row first
    QCursor handCursor_{Qt::PointingHandCursor};
    QCursor arrowCursor_{Qt::ArrowCursor};
    QIcon icon_;
    ViewNavigation navigation_{camera, *this};
    QSize normalOuterSize_;
    QSize largestSurface_; // device pixels; the largest viewport of the implementation
};

// The text shown when no OpenGL context can be had.
std::string ContextFailureText(int errorCode);
