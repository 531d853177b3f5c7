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
#include "viewer/GlView.h"
#include "viewer/Navigation.h"
#include "viewer/ShrinkTrim.h"
#include "viewer/ViewNavigation.h"
#include "viewer/ViewerMotion.h"
#include "viewer/ViewerOutput.h"
#include "viewer/ViewerWind.h"

class GlContextState;
struct FrameScene;

// What the viewer needs of the control panel: the statistics of every frame, and
// showing it on the Tree command. The application connects the two.
class PanelLink {
public:
    virtual ~PanelLink() = default;
    virtual void ShowStatistics(const std::string& text) = 0;
    virtual void ShowAndFocus() = 0;
    // N: the same tree with a fresh seed, as one step of the panel's history.
    virtual void NewRandomTree() = 0;
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
    std::optional<Camera> ViewCamera() const override { return camera_; }
    void SetViewCamera(const Camera& c) override { camera_ = c; }
    // Home and the panel's menu: the whole tree and its shadow in view, seen from the
    // same direction.
    void FrameTheTree() override;
    // W and the panel's menu: starts or stops the tree swaying in the wind, and redraws.
    void ToggleWind() override;
    bool WindBlowing() const override { return wind_.On(); }
    bool LighterWhileMoving() const override { return motion_.Enabled(); }
    void SetLighterWhileMoving(bool on) override { motion_.SetEnabled(on); }

    // NavigationHost
    void ViewMoved() override { motion_.Moved(); }
    void ToggleHelp() override;
    void ShowControlPanel() override;
    void GrabMouse(bool grab) override;

    // The keys, the mouse flight and the spin, with their timers.
    ViewNavigation& Navigation() { return navigation_; }
    const ViewNavigation& Navigation() const { return navigation_; }
    // The wind and its timer.
    const ViewerWind& Wind() const { return wind_; }
    // The lighter picture while the view moves.
    ViewerMotion& Motion() { return motion_; }
    const ViewerMotion& Motion() const { return motion_; }
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
    GlContextState* glState() const { return view_.State(); }
    // The window has its OpenGL context (and draws).
    bool ContextReady() const { return view_.Ready(); }
    // Contexts renewed after a much larger tree so far.
    int64_t ContextRenewals() const { return view_.Renewals(); }

    // P: writes the frame on screen as a PNG file; E: the tree as a .glb file, into the
    // output's folder under a name no other file has, saying so in a notice over the
    // frame. True when the file was written.
    bool SaveSnapshot();
    bool ExportGlb();
    ViewerOutput& Output() { return output_; }
    const ViewerOutput& Output() const { return output_; }
    const FrameNotice& Notice() const { return output_.Notice(); }

    // Where the statistics of every frame go, and who shows the panel (none: nobody).
    void SetPanel(PanelLink* panel) { panel_ = panel; }
    // Run by Escape, the close box and the window manager's close: the application's
    // close sequence.
    void SetOnCancel(std::function<void()> onCancel) { onCancel_ = std::move(onCancel); }

    const Camera& CurrentCamera() const { return camera_; }
    OverlayButton HoveredButton() const { return hoveredButton_; }
    bool HelpVisible() const { return helpVisible_; }
    // The client area in device pixels, and its height over its width.
    QSize ClientSize() const { return QSize(clientWidth_, clientHeight_); }
    double Aspect() const { return aspect_; }
    // Frames drawn so far (for tests and diagnostics), and the statistics text of the last.
    int64_t FramesDrawn() const { return framesDrawn_; }
    const std::string& LastStatistics() const { return lastStatistics_; }

    // Smallest client area at which the overlay's pieces do not overlap.
    static constexpr int MinimumClientWidth = 256;
    static constexpr int MinimumClientHeight = 136;

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
    void ShowContextFailure(int errorCode);
    void UpdateHover(QPointF position);
    void SetHovered(OverlayButton button);
    void RememberNormalSize();
    void LimitSurfaceSize();
    void ShowTitle();
    // After a frame of a tree much smaller than the one before: memory back to the system.
    void LetGoOfLargeTree(const FrameScene& scene, bool quick);

    TreeSession& session_;
    GlView view_{*this};
    Camera camera_;
    ViewNavigation navigation_{camera_, *this};
    ViewerOutput output_{[this] { RenderFrame(); }};
    // With auto spin on, its tick draws the sway of its moment too: one timer's frames are
    // enough.
    ViewerWind wind_{[this] {
        if (!navigation_.Spinning()) {
            RenderFrame();
        }
    }};
    // The lighter picture while moving; the full tree again once the motion settles.
    ViewerMotion motion_{[this] { RenderFrame(); }};
    PanelLink* panel_ = nullptr;
    std::function<void()> onCancel_;
    Backdrop backdrop_;
    OverlayImage helpImage_;
    OverlayImage buttonImage_;
    OverlayButton hoveredButton_ = OverlayButton::None;
    bool helpVisible_ = false;
    double aspect_ = 0.0;
    int32_t clientWidth_ = 0;
    int32_t clientHeight_ = 0;
    int64_t framesDrawn_ = 0;
    std::string lastStatistics_;
    ShrinkTrim shrinkTrim_;
    std::string rendererText_; // names the renderer in the title, once there is a context
    bool captureNextFrame_ = false;
    std::vector<uint8_t> capturedFrame_; // RGBA, bottom row first
    QCursor handCursor_{Qt::PointingHandCursor};
    QCursor arrowCursor_{Qt::ArrowCursor};
    QIcon icon_;
    QSize normalOuterSize_;
};

// The text shown when no OpenGL context can be had.
std::string ContextFailureText(int errorCode);
