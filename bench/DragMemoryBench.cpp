// Memory across slider drags, measured on the real viewer and control panel: the program
// starts at the default tree, grown and drawn; then, with "Tree Total Depth" 30, the "SSE.
// Dep. Attenuate" slider is dragged by the mouse from its bottom end to its top end (the
// budget-capped tree, the largest a growth makes) and taken back to the bottom in one
// move, DENDROVA_DRAGS times (default 20); then every parameter goes back to its default
// and the tree is regrown and drawn. Reported, in MiB: the resident memory at the defaults
// before the first drag and after the return (each after the program has settled for a
// second), the peak over the drags (VmHWM, started again before the first drag), the
// resident memory after the last drag, and the allocator's heaps (held and free) then and
// after the return.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "DragRig.h"
#include "ProcessMemory.h"
#include "platform/AllocatorTuning.h"

namespace {

int DragCount() {
    const char* text = std::getenv("DENDROVA_DRAGS");
    const int count = text ? std::atoi(text) : 20;
    return count > 0 ? count : 20;
}

// Lets the event loop run for a second: whatever the program does once the user has
// stopped happens here.
void Settle() {
    QTest::qWait(1000);
}

void DragMemory(benchmark::State& state) {
    // As the program does first in main().
    TuneAllocator();
    DragApplication();
    DragRig rig{TreeParams{}};
    if (const std::string failure = rig.Open(TreeDrawMode::Buffers); !failure.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    const int drags = DragCount();
    for (auto _ : state) {
        rig.session.params() = TreeParams{};
        rig.RegrowAndDraw();
        Settle();
        const double before = process_memory::Resident();

        rig.session.params().totalDepth = 30.0f;
        rig.session.params().sseDepAttenuate = 0.1f; // the slider's bottom end
        rig.RegrowAndDraw();
        const bool peakReset = process_memory::ResetPeak();
        double sampledPeak = process_memory::Resident();
        QElapsedTimer whole;
        whole.start();
        bool allCapped = true;
        for (int i = 0; i < drags; ++i) {
            rig.DragToTop();
            // The slider rests at the top a moment, as a hand releases it: the full tree
            // is drawn again.
            QTest::qWait(400);
            allCapped = allCapped && rig.session.model().lastGrowthCapped() &&
                        rig.viewer.Motion().LastLevel() == 0;
            sampledPeak = std::max(sampledPeak, process_memory::Resident());
            if (i + 1 < drags) {
                rig.JumpToBottom();
            }
        }
        const double dragSeconds = whole.nsecsElapsed() * 1e-9;
        const double peak = peakReset ? process_memory::PeakResident() : sampledPeak;
        const double afterDrags = process_memory::Resident();
        const process_memory::Heaps heaps = process_memory::AllocatorHeaps();

        rig.session.params() = TreeParams{};
        rig.RegrowAndDraw();
        Settle();
        const double after = process_memory::Resident();
        const process_memory::Heaps heapsAfter = process_memory::AllocatorHeaps();

        state.counters["drags"] = drags;
        state.counters["capped"] = allCapped ? 1 : 0;
        state.counters["drags_s"] = dragSeconds;
        state.counters["rss_before_MiB"] = before;
        state.counters["peak_MiB"] = peak;
        state.counters["rss_capped_MiB"] = afterDrags;
        state.counters["heaps_MiB"] = heaps.held;
        state.counters["heaps_free_MiB"] = heaps.free;
        state.counters["rss_after_MiB"] = after;
        state.counters["heaps_after_MiB"] = heapsAfter.held;
        state.counters["heaps_after_free_MiB"] = heapsAfter.free;
        state.counters["after_over_before"] = before > 0.0 ? after / before : 0.0;
    }
}

} // namespace

BENCHMARK(DragMemory)->Unit(benchmark::kSecond)->Iterations(1);
