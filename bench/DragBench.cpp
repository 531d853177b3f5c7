// The freeze bound, measured on the real viewer and control panel: the "SSE. Dep.
// Attenuate" slider dragged by the mouse from its bottom end to its top end with "Tree
// Total Depth" 30 (so the drag ends at the budget-capped tree), both ways of drawing. Every
// mouse move is handled to the end (new value, regrowth, mesh, frame) before the next one,
// so the time of one move is how long the interface is held. Reported: the longest and
// the median move, the value the longest move ended at, the number of moves, the whole
// drag.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>

#include "DragRig.h"

namespace {

// Opens `rig` drawing by `mode`; false, the benchmark skipped, when it could not be shown.
bool Opened(benchmark::State& state, DragRig& rig, TreeDrawMode mode) {
    if (const std::string failure = rig.Open(mode); !failure.empty()) {
        state.SkipWithError(failure.c_str());
        return false;
    }
    return true;
}

// Drags the selected slider up (at most `limit` moves when not negative) once per iteration,
// each move's time into `moves`; returns the last drag's whole time in seconds.
double TimedDrags(benchmark::State& state, DragRig& rig, std::vector<double>& moves,
                  std::vector<float>* values, int limit = -1) {
    double total = 0.0;
    for (auto _ : state) {
        QElapsedTimer whole;
        whole.start();
        rig.DragToTop(&moves, values, limit);
        total = whole.nsecsElapsed() * 1e-9;
    }
    return total;
}

// The median and the longest of the moves.
void MoveCounters(benchmark::State& state, const std::vector<double>& moves) {
    std::vector<double> sorted = moves;
    std::sort(sorted.begin(), sorted.end());
    state.counters["longest_ms"] = sorted.empty() ? 0.0 : sorted.back();
    state.counters["median_ms"] = sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
}

void DragDepAttenuate(benchmark::State& state, TreeDrawMode mode) {
    DragApplication();
    TreeParams params;
    params.totalDepth = 30.0f;
    params.sseDepAttenuate = 0.1f;
    DragRig rig(params);
    if (!Opened(state, rig, mode)) {
        return;
    }
    std::vector<double> moves;
    std::vector<float> values; // the slider's value after each move
    const int64_t framesBefore = rig.viewer.FramesDrawn();
    const double total = TimedDrags(state, rig, moves, &values);
    MoveCounters(state, moves);
    state.counters["moves"] = static_cast<double>(moves.size());
    const auto longest = std::max_element(moves.begin(), moves.end());
    state.counters["longest_at"] = longest == moves.end() ? 0.0 : values[longest - moves.begin()];
    state.counters["whole_s"] = total;
    state.counters["frames"] = static_cast<double>(rig.viewer.FramesDrawn() - framesBefore);
    state.counters["final_value"] = rig.session.params().sseDepAttenuate;
    state.counters["capped"] = rig.session.model().lastGrowthCapped() ? 1 : 0;
}

// "SEG. Expand Angle" dragged up 40 pixels (from 45 degrees) over the capped tree, with the
// lighter picture while moving on or off: how many moves a second the drag keeps, its median
// and longest move, and whether the still frame after it is the full tree again.
void DragCapped(benchmark::State& state, bool lighter) {
    DragApplication();
    TreeParams params;
    params.totalDepth = 30.0f;
    params.sseDepAttenuate = 1.0f;
    DragRig rig(params);
    if (!Opened(state, rig, TreeDrawMode::Buffers)) {
        return;
    }
    rig.viewer.SetLighterWhileMoving(lighter);
    rig.Select(1);
    rig.RegrowAndDraw();
    std::vector<double> moves;
    const double total = TimedDrags(state, rig, moves, nullptr, 40);
    MoveCounters(state, moves);
    state.counters["moves_per_s"] = total > 0.0 ? static_cast<double>(moves.size()) / total : 0.0;
    state.counters["first_ms"] = moves.empty() ? 0.0 : moves.front();
    state.counters["light_frames"] = static_cast<double>(rig.viewer.Motion().LightFrames());
    state.counters["capped"] = rig.session.model().lastGrowthCapped() ? 1 : 0;
    QTest::qWait(400); // the settle frame
    state.counters["ends_full"] = rig.viewer.Motion().LastLevel() == 0 ? 1 : 0;
}

} // namespace

BENCHMARK_CAPTURE(DragCapped, lighter, true)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(DragCapped, full, false)->Unit(benchmark::kSecond)->Iterations(1);

BENCHMARK_CAPTURE(DragDepAttenuate, cached, TreeDrawMode::Buffers)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(DragDepAttenuate, immediate, TreeDrawMode::Immediate)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
