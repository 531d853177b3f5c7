#pragma once

#include <optional>

#include "model/Camera.h"

// What the control panel needs from the viewer: regrow the tree from the current
// parameters, and draw one whole frame at once.
class PanelViewer {
public:
    virtual ~PanelViewer() = default;
    virtual void RebuildTree() = 0;
    virtual void RenderFrame() = 0;
    // The viewer's camera, kept in saved parameter files beside the tree; a viewer
    // without one reports none and ignores a camera handed to it.
    virtual std::optional<Camera> ViewCamera() const { return std::nullopt; }
    virtual void SetViewCamera(const Camera&) {}
    // Sets the camera so that the whole tree and its shadow are in view.
    virtual void FrameTheTree() {}
    // Starts or stops the tree swaying in the wind; whether it does.
    virtual void ToggleWind() {}
    virtual bool WindBlowing() const { return false; }
    // Whether a slow tree is drawn lighter while the view moves; turns it on or off.
    virtual bool LighterWhileMoving() const { return false; }
    virtual void SetLighterWhileMoving(bool) {}
};
