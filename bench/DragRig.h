#pragma once

#include <QPoint>

#include <string>
#include <vector>

#include "RecordingPlatform.h"
#include "model/TreeSession.h"
#include "panel/ControlPanel.h"
#include "render/GlContextState.h"
#include "viewer/ViewerWindow.h"

class QApplication;

// The application object of a drag benchmark, made once for the process.
QApplication& DragApplication();

// The real viewer and control panel on one session, shown under the X server, with
// "SSE. Dep. Attenuate" selected in the panel: what the drag benchmarks drag.
class DragRig {
public:
    // The session starts from `params` with seed 1; nothing is shown yet.
    explicit DragRig(const TreeParams& params);
    ~DragRig();
    DragRig(const DragRig&) = delete;
    DragRig& operator=(const DragRig&) = delete;

    // Shows the viewer (drawing by `mode`) and the panel; an empty string when both were
    // shown, otherwise what failed.
    std::string Open(TreeDrawMode mode);

    // Regrows the tree from the session's parameters as they are and draws a frame, as
    // the panel does for a change of value, and shows the selected value again.
    void RegrowAndDraw();

    // Drags the slider by the mouse from where its thumb is up the screen, one pixel a
    // move, until it reaches its top end (the maximum), and releases it. Each move's time
    // in milliseconds goes to `moves` and the value after it to `values`, when given.
    // At most `limit` moves when it is not negative.
    void DragToTop(std::vector<double>* moves = nullptr, std::vector<float>* values = nullptr,
                   int limit = -1);

    // Selects the parameter of row `row` in the panel's list (6: "SSE. Dep. Attenuate").
    void Select(int row);

    // Takes the slider from its thumb straight to its bottom end in one mouse move.
    void JumpToBottom();

    TreeSession session;
    ViewerWindow viewer;
    ControlPanel panel;

private:
    struct StatisticsToPanel final : PanelLink {
        ControlPanel* panel = nullptr;
        void ShowStatistics(const std::string& text) override { panel->ShowStatistics(text); }
        void ShowAndFocus() override {}
        void NewRandomTree() override {}
    };

    QPoint Thumb() const;

    RecordingPlatform platform_;
    StatisticsToPanel link_;
    bool opened_ = false;
};
