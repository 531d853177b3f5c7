// Every built-in preset grows and draws a tree of its own: whole frames in an off-screen
// framebuffer, from a viewpoint that takes in the whole tree. With
// DENDROVA_FRAME_PNG_DIR set, each frame is also written as <name>.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "GlTestContext.h"
#include "RecordingPlatform.h"
#include "model/Presets.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"
#include "scene/Backdrop.h"
#include "scene/Overlay.h"
#include "viewer/FrameRenderer.h"

namespace {

constexpr int Width = 480;
constexpr int Height = 360;

std::string FileName(std::string name) {
    for (char& c : name)
        c = c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

class PresetFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetInitialGlState();
        ApplyProjection(Width, Height);
        // Further back and a little higher than the start-up view.
        camera.y = -10.0f;
        camera.z = -24.0f;
        camera.elevation = 2.0f;
        camera.azimuth = 30.0f;
    }

    std::vector<uint8_t> Frame(const TreeModel& tree, const TreeParams& params,
                               const std::string& name) {
        const FrameScene scene{
            &camera, double(Height) / Width, &backdrop, &tree, &params, &help, &button, Width,
            Height,  OverlayButton::None,    false};
        DrawFrame(scene, gl.state());
        if (const char* dir = std::getenv("DENDROVA_FRAME_PNG_DIR"))
            gl.savePng((std::string(dir) + "/" + FileName(name) + ".png").c_str());
        return gl.readPixels();
    }

    GlTestContext gl{Width, Height};
    RecordingPlatform platform;
    Camera camera;
    Backdrop backdrop;
    OverlayImage help{"help.BMP", OverlayBitmap, -1.0f};
    OverlayImage button{"button.bmp", OverlayBitmap, -1.0f};
};

// Share of pixels whose brightness differs by more than a small amount.
double Differing(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); i += 4) {
        const int da = a[i] + a[i + 1] + a[i + 2];
        const int db = b[i] + b[i + 1] + b[i + 2];
        differing += std::abs(da - db) > 40;
    }
    return double(differing) / double(a.size() / 4);
}

TEST_F(PresetFrameTest, EveryPresetGrowsAndDrawsItsOwnTree) {
    TreeModel bare;
    const auto ground = Frame(bare, TreeParams{}, "bare");
    std::vector<std::vector<uint8_t>> frames;
    std::vector<double> cover;
    for (const Preset& preset : BuiltInPresets()) {
        SCOPED_TRACE(preset.name);
        TreeSession session(preset.params, 11);
        session.Regrow();
        const TreeModel& model = session.model();
        const ModelCounts counts = CountModel(model);
        EXPECT_EQ(counts.segments > 0 && counts.leaves > 0, true);
        EXPECT_LT(counts.records(), 200000); // each stays quick to regrow and draw
        frames.push_back(Frame(model, session.params(), preset.name));
        // The tree covers a fair part of the picture.
        cover.push_back(Differing(frames.back(), ground));
        EXPECT_GT(cover.back(), 0.02);
    }
    // No two presets look alike: the pictures of any two differ in at least half as many
    // pixels as the larger of the two trees covers.
    for (size_t i = 0; i < frames.size(); ++i) {
        for (size_t j = i + 1; j < frames.size(); ++j) {
            EXPECT_GT(Differing(frames[i], frames[j]), 0.5 * std::max(cover[i], cover[j]))
                << BuiltInPresets()[i].name << " / " << BuiltInPresets()[j].name;
        }
    }
    EXPECT_TRUE(platform.warnings.empty());
}

} // namespace
