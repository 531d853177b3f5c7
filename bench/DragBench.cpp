// The freeze bound, measured on the real viewer and control panel: the "SSE. Dep.
// Attenuate" slider dragged by the mouse from its bottom end to its top end with "Tree
// Total Depth" 30 (so the drag ends at the budget-capped tree), both ways of drawing. Every
// mouse move is handled to the end (new value, regrowth, mesh, frame) before the next one,
// so the time of one move is how long the interface is held. Reported: the longest and
// the median move, the value the longest move ended at, the number of moves, the whole
// drag.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSlider>
#include <QStyle>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <vector>

#include "RecordingPlatform.h"
#include "SliderHandle.h"
#include "model/TreeSession.h"
#include "panel/ControlPanel.h"
#include "render/GlContextState.h"
#include "viewer/ViewerWindow.h"

namespace {

QApplication& Application() {
    static int argc = 1;
    static char name[] = "dendrova-drag-bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

struct StatisticsToPanel final : PanelLink {
    ControlPanel* panel = nullptr;
    void ShowStatistics(const std::string& text) override { panel->ShowStatistics(text); }
    void ShowAndFocus() override {}
    void NewRandomTree() override {}
};

void DragDepAttenuate(benchmark::State& state, TreeDrawMode mode) {
    Application();
    RecordingPlatform platform;
    TreeSession session(TreeParams{}, 1);
    session.params().totalDepth = 30.0f;
    session.params().sseDepAttenuate = 0.1f;

    ViewerWindow viewer(session);
    ControlPanel panel(session);
    StatisticsToPanel link;
    link.panel = &panel;
    viewer.SetPanel(&link);
    panel.viewer = &viewer;
    viewer.CreateSized(540, 350);
    viewer.show();
    if (!QTest::qWaitForWindowExposed(&viewer)) {
        state.SkipWithError("the viewer was not shown");
        return;
    }
    viewer.glState()->drawMode = mode;
    panel.Create(&viewer);
    panel.show();
    if (!QTest::qWaitForWindowExposed(&panel)) {
        state.SkipWithError("the panel was not shown");
        return;
    }
    panel.ListControl()->setCurrentRow(6); // "SSE. Dep. Attenuate"

    // The drag goes to the panel's window, as the window system would deliver it.
    QSlider* slider = panel.SliderControl();
    QWindow* window = panel.windowHandle();
    const QPoint start = slider->mapTo(&panel, HandleCentre(slider));
    std::vector<double> moves;
    std::vector<float> values; // the slider's value after each move
    double total = 0.0;
    const int64_t framesBefore = viewer.FramesDrawn();
    for (auto _ : state) {
        QElapsedTimer whole;
        whole.start();
        QTest::mousePress(window, Qt::LeftButton, {}, start);
        // Up the screen, one pixel a move, until the slider reaches its top end (position
        // 0, the maximum).
        QPoint at = start;
        while (slider->value() > slider->minimum() && at.y() > start.y() - 2000) {
            at.ry() -= 1;
            QElapsedTimer move;
            move.start();
            QTest::mouseMove(window, at);
            moves.push_back(move.nsecsElapsed() * 1e-6);
            values.push_back(session.params().sseDepAttenuate);
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, at);
        total = whole.nsecsElapsed() * 1e-9;
    }
    std::vector<double> sorted = moves;
    std::sort(sorted.begin(), sorted.end());
    state.counters["moves"] = static_cast<double>(moves.size());
    state.counters["longest_ms"] = sorted.empty() ? 0.0 : sorted.back();
    const auto longest = std::max_element(moves.begin(), moves.end());
    state.counters["longest_at"] = longest == moves.end() ? 0.0 : values[longest - moves.begin()];
    state.counters["median_ms"] = sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    state.counters["whole_s"] = total;
    state.counters["frames"] = static_cast<double>(viewer.FramesDrawn() - framesBefore);
    state.counters["final_value"] = session.params().sseDepAttenuate;
    state.counters["capped"] = session.model().lastGrowthCapped() ? 1 : 0;
    panel.hide();
    viewer.DestroyWindow();
}

} // namespace

BENCHMARK_CAPTURE(DragDepAttenuate, cached, TreeDrawMode::Buffers)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(DragDepAttenuate, immediate, TreeDrawMode::Immediate)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
