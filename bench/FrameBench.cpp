// Whole viewer frames drawn into an off-screen framebuffer on this machine's OpenGL
// (llvmpipe under Xvfb), and one slider-style step: regrowth plus frame.
#include <benchmark/benchmark.h>

#include "GlTestContext.h"
#include "RecordingPlatform.h"
#include "model/LeafRandomTable.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "scene/Backdrop.h"
#include "scene/Overlay.h"
#include "viewer/FrameRenderer.h"

namespace {

// The default window's client area.
constexpr int Width = 540;
constexpr int Height = 350;

struct Viewer {
    Viewer()
        : gl(Width, Height), help("help.BMP", OverlayBitmap, -1),
          button("button.bmp", OverlayBitmap, -1) {
        SetInitialGlState();
        ApplyProjection(Width, Height);
        CreateLeafRandomTableSeeded(1);
        model.Build();
    }
    void Frame() {
        const FrameScene scene{
            &camera, double(Height) / Width, &backdrop, &model, &help, &button, Width,
            Height,  OverlayButton::None,    false};
        DrawFrame(scene);
    }
    GlTestContext gl;
    RecordingPlatform platform;
    Camera camera;
    Backdrop backdrop;
    TreeModel model;
    OverlayImage help;
    OverlayImage button;
};

Viewer& SharedViewer() {
    static Viewer viewer;
    return viewer;
}

void FrameAtCount(benchmark::State& state, int count, float depAttenuate) {
    Viewer& v = SharedViewer();
    ResetTreeParams();
    treeParams.sseDepAttenuate = depAttenuate;
    v.model.Rebuild(count);
    v.Frame();
    for (auto _ : state) {
        v.Frame();
    }
    state.counters["segments"] = static_cast<double>(CountModel(v.model).segments);
    ResetTreeParams();
}

// One move of the "SEG. Expand Angle" slider: a new value, a regrowth and a frame.
void SliderStep(benchmark::State& state) {
    Viewer& v = SharedViewer();
    ResetTreeParams();
    int position = 0;
    for (auto _ : state) {
        treeParams.segExpandAngle = static_cast<float>((1000 - position) * 90.0 * 0.001);
        position = (position + 1) % 1001;
        v.model.Rebuild(TrunkCount(treeParams));
        v.Frame();
    }
    ResetTreeParams();
}

} // namespace

BENCHMARK_CAPTURE(FrameAtCount, defaults, 19, 0.81f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FrameAtCount, count25, 25, 0.81f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FrameAtCount, count30, 30, 0.81f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FrameAtCount, fullBranching19, 19, 1.0f)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(FrameAtCount, cappedExtreme, 30, 1.0f)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(SliderStep)->Unit(benchmark::kMillisecond);
