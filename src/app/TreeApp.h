#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/ModelConfig.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"
#include "panel/ControlPanel.h"
#include "viewer/ViewerWindow.h"

// The application object: the tree session the viewer shows, the remembered window
// geometry and the two windows, which both work on that session. Start() runs before the
// event loop, Exit() after it; the close sequence ends the loop.
class TreeApp final : public PanelLink {
public:
    TreeApp();
    ~TreeApp() override;

    // Reads the parameter file into the session, seeds its leaf factors, creates and
    // places the viewer and the (hidden) control panel. Always true.
    bool Start();
    // Writes the parameter file unless the close sequence did; returns `exitCode`.
    int Exit(int exitCode);
    // A quit signal (SIGTERM, SIGINT, SIGHUP): the close sequence, without message boxes.
    void QuitBySignal();
    // Escape, the close box or the window manager's close on the viewer: remembers the
    // geometry, destroys both windows, writes the parameter file and ends the event loop.
    // A failed save is reported in one line on stderr and, unless a signal ended the
    // program, in a message box.
    void CloseSequence();

    // PanelLink
    void ShowStatistics(const std::string& text) override;
    void ShowAndFocus() override;
    void NewRandomTree() override;

    // The parameter file read at start; the one in the working folder is always the one
    // written at exit.
    std::string configPath = ModelConfigFileName;
    // Put over what the parameter file gave (a JSON file or a preset named on the command
    // line); none: the file's values stay.
    std::optional<TreeParams> startParams;
    std::optional<Camera> startCamera;
    // The window settings of a 96-byte record named on the command line; when given, the
    // parameter file is not read (the record's tree and camera come as the two above).
    std::optional<WindowGeometry> startGeometry;
    // Seed of the leaf factors; none: seeded from the clock.
    std::optional<uint32_t> seed;
    WindowGeometry geometry;
    // The viewer's tree: made before the two windows and gone after them.
    TreeSession session;
    ViewerWindow viewer{session};
    ControlPanel panel{session};

private:
    // Centres the viewer's outer frame on `area`.
    void CentreViewer(const QRect& area);
    // The geometry the close sequence would remember now.
    WindowGeometry CurrentGeometry();
    void SaveSettings();
    // Puts the panel's outer top-left corner at `corner`, fitted to the screen.
    void PlacePanel(QPoint corner);

    bool closed_ = false;
    bool endedBySignal_ = false;
    bool saved_ = false;
    bool starting_ = false;
    bool closeAfterStart_ = false;
};
