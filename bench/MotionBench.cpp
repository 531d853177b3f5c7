// Spinning a tree (or the wind blowing over it) in the real viewer window, with the lighter picture
// while moving on and off in the same run: the frames a second the spin reaches and its median
// frame interval, the light frames among them, and the still frame once the spin has stopped. Run
// under Xvfb (see `make bench`).
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>

#include <algorithm>
#include <vector>

#include "RecordingPlatform.h"
#include "model/TreeSession.h"
#include "platform/AllocatorTuning.h"
#include "viewer/ViewerWindow.h"

namespace {

QGuiApplication& Application() {
    TuneAllocator(); // as the program does first in main()
    static int argc = 1;
    static char name[] = "dendrova-motion-bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

void Spin(benchmark::State& state, float depth, float depAttenuate, bool lighter,
          bool wind = false) {
    Application();
    RecordingPlatform platform;
    TreeParams params;
    params.totalDepth = depth;
    params.sseDepAttenuate = depAttenuate;
    TreeSession session(params, 1);
    ViewerWindow viewer(session);
    viewer.CreateSized(540, 350);
    viewer.show();
    if (!QTest::qWaitForWindowExposed(&viewer)) {
        state.SkipWithError("the viewer was not shown");
        return;
    }
    viewer.SetLighterWhileMoving(lighter);
    QElapsedTimer still;
    still.start();
    viewer.RenderFrame();
    const double stillMs = still.nsecsElapsed() * 1e-6;

    std::vector<double> intervals;
    std::vector<int> levels; // the level of each frame
    double fps = 0.0;
    for (auto _ : state) {
        const int64_t before = viewer.FramesDrawn();
        QElapsedTimer spinning;
        spinning.start();
        const auto toggle = [&] {
            if (wind) {
                viewer.ToggleWind();
            } else {
                viewer.Navigation().ToggleAutoSpin();
            }
        };
        toggle();
        int64_t seen = before;
        QElapsedTimer interval;
        interval.start();
        // Four seconds of spin, or at least three frames of a slow one.
        while (spinning.elapsed() < 4000 || viewer.FramesDrawn() - before < 3) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (viewer.FramesDrawn() != seen) {
                seen = viewer.FramesDrawn();
                intervals.push_back(interval.nsecsElapsed() * 1e-6);
                levels.push_back(viewer.Motion().LastLevel());
                interval.restart();
            }
        }
        toggle();
        fps = static_cast<double>(viewer.FramesDrawn() - before) / (spinning.elapsed() * 1e-3);
    }
    // The first interval holds the making of the lighter levels.
    std::vector<double> sorted(intervals.begin() + std::min<size_t>(1, intervals.size()),
                               intervals.end());
    std::sort(sorted.begin(), sorted.end());
    state.counters["fps"] = fps;
    state.counters["median_frame_ms"] = sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    state.counters["first_frame_ms"] = intervals.empty() ? 0.0 : intervals.front();
    state.counters["still_frame_ms"] = stillMs;
    std::sort(levels.begin(), levels.end());
    state.counters["median_level"] = levels.empty() ? 0 : levels[levels.size() / 2];
    state.counters["light_frames"] = static_cast<double>(viewer.Motion().LightFrames());
    // The spin over, the settle timer draws the full tree.
    QTest::qWait(400);
    state.counters["ends_full"] = viewer.Motion().LastLevel() == 0 ? 1 : 0;
    viewer.DestroyWindow();
}

} // namespace

#define SPIN(name, depth, dep)                                                                     \
    BENCHMARK_CAPTURE(Spin, name##_lighter, depth, dep, true)                                      \
        ->Unit(benchmark::kSecond)                                                                 \
        ->Iterations(1);                                                                           \
    BENCHMARK_CAPTURE(Spin, name##_full, depth, dep, false)->Unit(benchmark::kSecond)->Iterations(1)

SPIN(defaults, 19.29f, 0.81f);
SPIN(depAttenuate1, 19.29f, 1.0f);
SPIN(capped, 30.0f, 1.0f);

// The wind blowing over the capped tree instead of the spin.
BENCHMARK_CAPTURE(Spin, capped_wind_lighter, 30.0f, 1.0f, true, true)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(Spin, capped_wind_full, 30.0f, 1.0f, false, true)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
