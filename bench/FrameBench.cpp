// Whole viewer frames drawn into an off-screen framebuffer on this machine's OpenGL
// (llvmpipe under Xvfb), both ways in the same run: the immediate walk of the structure
// (the reference) and the cached tree mesh in buffer objects. Also slider steps: a new
// value, a regrowth, the mesh and a frame. And frames while the wind sways the tree, and the
// W key's toggles.
#include <benchmark/benchmark.h>

#include <cmath>
#include <optional>

#include "GlTestContext.h"
#include "RecordingPlatform.h"
#include "model/TreeModel.h"
#include "model/TreeSession.h"
#include "render/GlContextState.h"
#include "render/TreeSway.h"
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
        session.Reseed(1);
        session.Regrow();
    }
    void Frame(std::optional<double> windSeconds = std::nullopt) {
        FrameScene scene{&camera,
                         double(Height) / Width,
                         &backdrop,
                         &session.model(),
                         &session.params(),
                         &help,
                         &button,
                         Width,
                         Height,
                         OverlayButton::None,
                         false};
        scene.windSeconds = windSeconds;
        DrawFrame(scene, gl.state());
    }
    GlTestContext gl;
    RecordingPlatform platform;
    Camera camera;
    Backdrop backdrop;
    TreeSession session;
    OverlayImage help;
    OverlayImage button;
};

Viewer& SharedViewer() {
    static Viewer viewer;
    return viewer;
}

const TreeDrawMode Immediate = TreeDrawMode::Immediate;
const TreeDrawMode Cached = TreeDrawMode::Buffers;

// Frames of an unchanged tree grown with the given trunk count and side-branch depth ratio.
void FrameAt(benchmark::State& state, int count, float depAttenuate, TreeDrawMode mode) {
    Viewer& v = SharedViewer();
    v.session.params() = TreeParams{};
    v.session.params().totalDepth = static_cast<float>(count);
    v.session.params().sseDepAttenuate = depAttenuate;
    v.gl.state().drawMode = mode;
    v.session.Regrow();
    v.Frame();
    for (auto _ : state) {
        v.Frame();
    }
    state.counters["segments"] = static_cast<double>(CountModel(v.session.model()).segments);
}

// Frames of an unchanged tree while the wind blows, 40 ms of sway time apart (as the
// viewer's wind timer asks for them), so that every frame writes the swayed positions.
void WindFrameAt(benchmark::State& state, int count, float depAttenuate, TreeDrawMode mode) {
    Viewer& v = SharedViewer();
    v.session.params() = TreeParams{};
    v.session.params().totalDepth = static_cast<float>(count);
    v.session.params().sseDepAttenuate = depAttenuate;
    v.gl.state().drawMode = mode;
    v.session.Regrow();
    double seconds = 0.0;
    v.Frame(seconds);
    for (auto _ : state) {
        seconds += 0.04;
        v.Frame(seconds);
    }
    v.Frame();
}

// What the wind adds to a frame on its own: the swayed positions written into the buffer
// objects, once for a new sway time.
void WindWrite(benchmark::State& state, int count, float depAttenuate) {
    Viewer& v = SharedViewer();
    v.session.params() = TreeParams{};
    v.session.params().totalDepth = static_cast<float>(count);
    v.session.params().sseDepAttenuate = depAttenuate;
    v.gl.state().drawMode = Cached;
    v.session.Regrow();
    double seconds = 0.0;
    v.Frame(seconds);
    for (auto _ : state) {
        seconds += 0.04;
        SwayTreeMesh(v.gl.state(), seconds);
    }
    // What the sway holds while the wind blows.
    const MeshSway& sway = v.gl.state().treeMesh.sway;
    state.counters["held MB"] =
        4e-6 * static_cast<double>(sway.barkRest.capacity() + sway.leafRest.capacity() +
                                   sway.barkWeights.capacity() + sway.leafWeights.capacity());
    v.Frame();
}

// W pressed twice: the first frame with the wind (which builds the mesh with its sway
// data), then the first without it (which builds it without again).
void WindToggle(benchmark::State& state, int count, float depAttenuate) {
    Viewer& v = SharedViewer();
    v.session.params() = TreeParams{};
    v.session.params().totalDepth = static_cast<float>(count);
    v.session.params().sseDepAttenuate = depAttenuate;
    v.gl.state().drawMode = Cached;
    v.session.Regrow();
    v.Frame();
    for (auto _ : state) {
        v.Frame(0.5);
        v.Frame();
    }
}

// Moves of the "SEG. Expand Angle" slider over the tree of the given trunk count and
// side-branch depth ratio: a new value, a regrowth and a frame (which builds the mesh). The
// moves go one slider position (0.09 degrees) at a time, down from `fromAngle`.
void SliderStep(benchmark::State& state, int count, float depAttenuate, TreeDrawMode mode,
                float fromAngle) {
    Viewer& v = SharedViewer();
    TreeParams& params = v.session.params();
    params = TreeParams{};
    params.totalDepth = static_cast<float>(count);
    params.sseDepAttenuate = depAttenuate;
    v.gl.state().drawMode = mode;
    int position = static_cast<int>(std::lround(1000.0 - fromAngle / 0.09));
    for (auto _ : state) {
        params.segExpandAngle = static_cast<float>((1000 - position) * 90.0 * 0.001);
        position = (position + 1) % 1001;
        v.session.Regrow();
        v.Frame();
    }
    state.counters["moves/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

#define FRAME_BOTH(name, count, dep, iterations)                                                   \
    BENCHMARK_CAPTURE(FrameAt, name##_immediate, count, dep, Immediate)                            \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(iterations);                                                                  \
    BENCHMARK_CAPTURE(FrameAt, name##_cached, count, dep, Cached)                                  \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(iterations)

FRAME_BOTH(defaults, 19, 0.81f, 50);
FRAME_BOTH(count25, 25, 0.81f, 20);
FRAME_BOTH(count30, 30, 0.81f, 10);
FRAME_BOTH(fullBranching19, 19, 1.0f, 3);
FRAME_BOTH(cappedExtreme, 30, 1.0f, 3);

// The same trees swaying, from the mesh in buffer objects (the default) and, as the
// reference walk gives way to it while the wind blows, from client memory.
#define WIND_FRAMES(name, count, dep, iterations)                                                  \
    BENCHMARK_CAPTURE(WindFrameAt, name##_wind_cached, count, dep, Cached)                         \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(iterations);                                                                  \
    BENCHMARK_CAPTURE(WindFrameAt, name##_wind_immediate, count, dep, Immediate)                   \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(iterations)

WIND_FRAMES(defaults, 19, 0.81f, 50);
WIND_FRAMES(count30, 30, 0.81f, 10);
WIND_FRAMES(cappedExtreme, 30, 1.0f, 3);
BENCHMARK_CAPTURE(WindWrite, defaults, 19, 0.81f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WindWrite, count30, 30, 0.81f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WindWrite, cappedExtreme, 30, 1.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WindToggle, defaults, 19, 0.81f)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(WindToggle, cappedExtreme, 30, 1.0f)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// At the defaults the moves sweep down from the slider's top (90 degrees); on the two
// largest trees they start at the default angle (26.4 degrees), and once more at the top,
// where the capped tree spreads widest and draws slowest.
constexpr float Top = 90.0f;
constexpr float DefaultAngle = 26.4f;
BENCHMARK_CAPTURE(SliderStep, defaults_immediate, 19, 0.81f, Immediate, Top)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(SliderStep, defaults_cached, 19, 0.81f, Cached, Top)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Three moves on a large tree (each takes up to seconds).
#define LARGE_STEP(name, count, dep, mode, fromAngle)                                              \
    BENCHMARK_CAPTURE(SliderStep, name, count, dep, mode, fromAngle)                               \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(3)                                                                            \
        ->UseRealTime()

LARGE_STEP(fullBranching19_immediate, 19, 1.0f, Immediate, DefaultAngle);
LARGE_STEP(fullBranching19_cached, 19, 1.0f, Cached, DefaultAngle);
LARGE_STEP(cappedExtreme_immediate, 30, 1.0f, Immediate, DefaultAngle);
LARGE_STEP(cappedExtreme_cached, 30, 1.0f, Cached, DefaultAngle);
LARGE_STEP(cappedExtremeWide_cached, 30, 1.0f, Cached, Top);
