#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/ModelConfig.h"
#include "panel/ControlPanel.h"
#include "viewer/ViewerWindow.h"

// The application object: the remembered window geometry and the two windows. Start()
// runs before the event loop, Exit() after it; the close sequence ends the loop.
class TreeApp final : public PanelLink {
public:
    TreeApp();
    ~TreeApp() override;

    // Reads the parameter file, prepares the leaf factors, creates and places the
    // viewer and the (hidden) control panel. Always true.
    bool Start();
    // Writes the parameter file (a failure is reported in one line on stderr) and frees
    // the leaf factors; returns `exitCode`.
    int Exit(int exitCode);
    // Escape, the close box or the window manager's close on the viewer: remembers the
    // geometry, destroys both windows and ends the event loop.
    void CloseSequence();

    // PanelLink
    void ShowStatistics(const std::string& text) override;
    void ShowAndFocus() override;

    // The parameter file read at start (--params may name another one); the one in the
    // working folder is always the one written at exit.
    std::string configPath = ModelConfigFileName;
    // Seed of the leaf factors; none: seeded from the clock.
    std::optional<uint32_t> seed;
    WindowGeometry geometry;
    ViewerWindow viewer;
    ControlPanel panel;

private:
    // Centres the viewer's outer frame on `area`.
    void CentreViewer(const QRect& area);
    // Puts the panel's outer top-left corner at `corner`, fitted to the screen.
    void PlacePanel(QPoint corner);

    bool closed_ = false;
    bool starting_ = false;
    bool closeAfterStart_ = false;
};
