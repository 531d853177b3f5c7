#pragma once

// What the control panel needs from the viewer: regrow the tree from the current
// parameters, and draw one whole frame at once.
class PanelViewer {
public:
    virtual ~PanelViewer() = default;
    virtual void RebuildTree() = 0;
    virtual void RenderFrame() = 0;
};
