// Whole frames drawn into an off-screen framebuffer with the real pictures: what a user
// sees in fixed regions of the picture, and the statistics of a frame.
#include <GL/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "GlTestContext.h"
#include "RecordingPlatform.h"
#include "mesh/TreeWind.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"
#include "render/GlContextState.h"
#include "scene/Backdrop.h"
#include "scene/Overlay.h"
#include "viewer/FrameRenderer.h"
#include "viewer/Statistics.h"

namespace {

constexpr int Width = 540;
constexpr int Height = 350;

using Pixel = std::array<uint8_t, 4>;

int Brightness(const uint8_t* p) {
    return p[0] + p[1] + p[2];
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetInitialGlState();
        ApplyProjection(Width, Height);
        session.Regrow();
    }

    // Draws one frame of `tree` with the session's parameters and returns its pixels (row
    // 0 at the bottom); its statistics in `stats`.
    // With `windSeconds`, the tree sways to that time of the wind.
    std::vector<uint8_t> Frame(const TreeModel& tree, const char* name = nullptr,
                               std::optional<double> windSeconds = std::nullopt) {
        FrameScene scene{
            &camera, double(Height) / Width, &backdrop, &tree, &params, &help, &button, Width,
            Height,  OverlayButton::None,    false};
        scene.windSeconds = windSeconds;
        stats = DrawFrame(scene, gl.state());
        if (name && std::getenv("DENDROVA_FRAME_PNG_DIR")) {
            gl.savePng(
                (std::string(std::getenv("DENDROVA_FRAME_PNG_DIR")) + "/" + name + ".png").c_str());
        }
        return gl.readPixels();
    }
    static const uint8_t* At(const std::vector<uint8_t>& px, int x, int yFromTop) {
        return px.data() + (static_cast<size_t>(Height - 1 - yFromTop) * Width + x) * 4;
    }

    GlTestContext gl{Width, Height};
    RecordingPlatform platform;
    Camera camera;
    Backdrop backdrop;
    TreeSession session{TreeParams{}, 11};
    const TreeModel& model = session.model();
    TreeParams& params = session.params();
    TreeModel bare;   // no trunk: the scene without a tree
    FrameStats stats; // of the last frame
    OverlayImage help{"help.BMP", OverlayBitmap, -1.0f};
    OverlayImage button{"button.bmp", OverlayBitmap, -1.0f};
};

} // namespace

TEST_F(FrameTest, SkyAboveTheHorizonGroundBelowAndLeavesOnTheTree) {
    const auto ground = Frame(bare, "bare");
    // Centre column away from the overlay: blue sky at the top, green ground at the bottom.
    const uint8_t* sky = At(ground, Width / 2, 60);
    EXPECT_GT(sky[2], sky[0] + 30);
    const uint8_t* grass = At(ground, Width / 2, Height - 20);
    EXPECT_GT(grass[1], grass[2]);
    EXPECT_GT(grass[1], 60);

    const auto tree = Frame(model, "default");
    // Leaves: many pixels that the tree changed are leaf green.
    int changed = 0, green = 0;
    for (int y = 80; y < Height - 80; ++y) {
        for (int x = 60; x < Width - 60; ++x) {
            const uint8_t* a = At(ground, x, y);
            const uint8_t* b = At(tree, x, y);
            if (std::abs(Brightness(a) - Brightness(b)) > 40) {
                ++changed;
                if (b[1] > b[0] + 15 && b[1] > b[2] + 15) {
                    ++green;
                }
            }
        }
    }
    EXPECT_GT(changed, 5000);
    EXPECT_GT(green, changed / 3);
    EXPECT_TRUE(platform.warnings.empty());
}

TEST_F(FrameTest, ShadowDarkensTheGroundWithItsDensities) {
    // Look down on the ground from further away, so the shadow is well in view.
    camera.elevation = 40.0f;
    camera.z = -28.0f;
    camera.y = -24.0f;
    const auto bareGround = Frame(bare, "shadow-bare");

    params.brushShadowDensity = 1.0f;
    params.leafShadowDensity = 1.0f;
    const auto opaque = Frame(model, "shadow-opaque");
    params.brushShadowDensity = 0.0f;
    params.leafShadowDensity = 0.0f;
    const auto invisible = Frame(model, "shadow-invisible");
    params = TreeParams{};
    const auto normal = Frame(model, "shadow-default");

    // Shadow pixels: black when opaque, where the tree itself does not cover the ground.
    int shadow = 0, darker = 0, unchanged = 0;
    for (int y = 70; y < Height - 70; ++y) {
        for (int x = 40; x < Width - 40; ++x) {
            const uint8_t* o = At(opaque, x, y);
            const uint8_t* b = At(bareGround, x, y);
            const uint8_t* i = At(invisible, x, y);
            const bool treeHere = std::memcmp(i, b, 3) != 0;
            if (treeHere || Brightness(o) != 0) {
                continue;
            }
            ++shadow;
            unchanged += std::memcmp(i, b, 3) == 0;
            darker += Brightness(At(normal, x, y)) < Brightness(b) - 30;
        }
    }
    EXPECT_GT(shadow, 800);
    EXPECT_EQ(unchanged, shadow);       // densities 0: exactly the bare ground
    EXPECT_GT(darker, shadow * 9 / 10); // defaults: darker than the bare ground
}

TEST_F(FrameTest, StatisticsOfTheDefaultTreeCountBothPasses) {
    Frame(model);
    const ModelCounts c = CountModel(model);
    const int64_t nodes = 2 * c.records();
    const int64_t bytes = 2 * (80 * c.segments + 16 * c.leaves + 16 * c.forks);
    const int64_t vertices = 2 * (12 * c.segments + 4 * c.leaves) + 50;
    const int64_t quads = 2 * (6 * c.segments + c.leaves) + 22;
    EXPECT_EQ(stats.nodes, nodes);
    EXPECT_EQ(stats.memoryBytes, bytes);
    EXPECT_EQ(stats.vertices + 50, vertices);
    EXPECT_EQ(stats.quadrangles + 22, quads);
    const std::string text = FormatStatistics(stats, camera);
    EXPECT_NE(text.find("Object: 4758 Nodes"), std::string::npos) << text;
    EXPECT_NE(text.find("Memory: 222.97 KB"), std::string::npos) << text;
    EXPECT_NE(text.find("  35458 Vertices"), std::string::npos) << text;
    EXPECT_NE(text.find("  16008 Quadrangles"), std::string::npos) << text;
    // The counters restart every frame.
    Frame(model);
    EXPECT_EQ(FormatStatistics(stats, camera), text);
}

namespace {

// Share of pixels whose three channels all lie within `tolerance` levels, and the largest
// difference found.
std::pair<double, int> Agreement(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                 int tolerance) {
    size_t close = 0;
    int largest = 0;
    for (size_t i = 0; i < a.size(); i += 4) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(a[i + c] - b[i + c]));
        }
        close += worst <= tolerance;
        largest = std::max(largest, worst);
    }
    return {static_cast<double>(close) / static_cast<double>(a.size() / 4), largest};
}

} // namespace

// The cached mesh drawn from buffer objects and from client memory against the immediate
// walk of the structure, at several scenes: the same picture up to the rounding of the
// composed matrices (the mesh composes in double, the matrix stack in float), and the very
// same statistics text.
TEST_F(FrameTest, CachedMeshDrawsTheSameFrameAsTheImmediateWalk) {
    struct Scene {
        const char* name;
        std::function<void()> set;
    };
    const Scene scenes[] = {
        {"defaults", [] {}},
        {"depth25",
         [this] {
             params.totalDepth = 25.0f;
             session.Regrow();
         }},
        {"turned-tilted",
         [this] {
             camera.azimuth = 137.0f;
             camera.elevation = 35.0f;
         }},
        {"shadow-low",
         [this] {
             params.shadowLength = 0.5f;
             params.brushShadowDensity = 0.0f;
             params.leafShadowDensity = 0.0f;
         }},
        {"shadow-high",
         [this] {
             params.shadowLength = 5.0f;
             params.brushShadowDensity = 1.0f;
             params.leafShadowDensity = 1.0f;
         }},
    };
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        camera = Camera{};
        params = TreeParams{};
        session.Regrow();
        scene.set();
        gl.state().drawMode = TreeDrawMode::Immediate;
        const auto reference = Frame(model, (std::string(scene.name) + "-immediate").c_str());
        const std::string referenceText = FormatStatistics(stats, camera);
        for (TreeDrawMode mode : {TreeDrawMode::Buffers, TreeDrawMode::VertexArrays}) {
            gl.state().drawMode = mode;
            const auto cached = Frame(model, (std::string(scene.name) + "-cached").c_str());
            const auto [share, largest] = Agreement(reference, cached, 3);
            EXPECT_GE(share, 0.995) << "largest difference " << largest;
            EXPECT_EQ(FormatStatistics(stats, camera), referenceText);
            std::printf("%s %s: %.4f%% within 3 levels, largest difference %d\n", scene.name,
                        mode == TreeDrawMode::Buffers ? "buffers" : "arrays", 100.0 * share,
                        largest);
        }
        EXPECT_EQ(gl.state().treeMesh.inBuffers, false); // last drawn from client memory
    }
    EXPECT_TRUE(gl.state().buffers.available());
}

// The wind in every draw mode. Without it, and at the sway times where the sway is zero
// (its start, one whole period later), the frame is the very frame drawn before the wind
// ever blew; in between it is another; once the wind stops, the frame is the still one
// again and nothing the sway needed is held any more.
TEST_F(FrameTest, WindSwaysTheTreeAndTheStillFrameStaysAsItWas) {
    // The reference walk sways as the mesh from client memory does.
    gl.state().drawMode = TreeDrawMode::VertexArrays;
    const auto meshStill = Frame(model);
    for (TreeDrawMode mode :
         {TreeDrawMode::Buffers, TreeDrawMode::VertexArrays, TreeDrawMode::Immediate}) {
        SCOPED_TRACE(static_cast<int>(mode));
        gl.state().drawMode = mode;
        const auto still = Frame(model, "wind-still");
        const auto& restingMesh = mode == TreeDrawMode::Immediate ? meshStill : still;
        EXPECT_TRUE(Frame(model, nullptr, 0.0) == restingMesh);
        const auto leaning = Frame(model, "wind-leaning", 0.5);
        EXPECT_FALSE(leaning == restingMesh);
        EXPECT_TRUE(Frame(model, nullptr, WindPeriodSeconds) == restingMesh);
        EXPECT_TRUE(Frame(model, nullptr, WindPeriodSeconds + 0.5) == leaning);
        EXPECT_TRUE(gl.state().treeMesh.sway.built);

        EXPECT_TRUE(Frame(model) == still);
        const MeshSway& sway = gl.state().treeMesh.sway;
        EXPECT_FALSE(sway.built);
        EXPECT_EQ(sway.barkRest.capacity() + sway.barkWeights.capacity() +
                      sway.leafRest.capacity() + sway.leafWeights.capacity(),
                  0u);
        // The walk keeps no mesh of its own.
        EXPECT_EQ(gl.state().treeMesh.built, mode != TreeDrawMode::Immediate);
    }
}
