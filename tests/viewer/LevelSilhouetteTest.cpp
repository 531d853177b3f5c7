// The lighter levels of a tree against the full tree, as --render --lod draws them: the
// outline each leaves on the default camera's picture, and the impostor's pictures.

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <filesystem>
#include <string>

#include "RecordingPlatform.h"
#include "mesh/TreeLevels.h"
#include "model/TreeSession.h"
#include "viewer/StillFrame.h"

namespace {

struct Outline {
    std::vector<uint8_t> rgba;
};

// The tree alone from the default camera: its picture, alpha 255 on the tree.
std::vector<uint8_t> DrawOutline(const TreeSession& session, const TreeLevel* level,
                                 const ImpostorAtlas* atlas) {
    StillFrame frame;
    frame.model = &session.model();
    frame.params = session.params();
    frame.overlay = false;
    frame.scenery = false;
    frame.level = level;
    frame.atlas = atlas;
    std::vector<uint8_t> rgba;
    const Result<> drawn = RenderStillFrame(frame, rgba);
    EXPECT_TRUE(drawn) << (drawn ? "" : drawn.Error().message);
    return rgba;
}

double IntersectionOverUnion(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t both = 0, either = 0;
    for (size_t i = 3; i < a.size() && i < b.size(); i += 4) {
        both += a[i] && b[i];
        either += a[i] || b[i];
    }
    return either == 0 ? 0.0 : static_cast<double>(both) / either;
}

// Keeps a picture that failed its check, for a look.
void Keep(const std::vector<uint8_t>& rgba, int width, int height, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(TEST_OUTPUT_DIR) / "levels";
    std::filesystem::create_directories(folder);
    QImage image(rgba.data(), width, height, width * 4, QImage::Format_RGBA8888);
    image.mirrored().save(QString::fromStdString((folder / name).string()));
}

struct Tree {
    const char* name;
    float depth;          // the trunk's segment count
    double leastImpostor; // the least overlap of the impostor's outline
};

class LevelSilhouette : public ::testing::TestWithParam<Tree> {};

TEST_P(LevelSilhouette, EachLevelKeepsTheFullTreesOutline) {
    RecordingPlatform platform;
    TreeParams params;
    params.totalDepth = GetParam().depth;
    TreeSession session(params, 1);
    session.Regrow();
    const TreeMesh full = BuildTreeMesh(session.model(), session.params());
    const std::vector<TreeLevel> levels = LighterLevels(full, 4);
    ASSERT_EQ(levels.size(), 3u);
    ASSERT_TRUE(levels[2].impostor);
    const Result<ImpostorAtlas> atlas =
        RenderImpostorAtlas(session.model(), session.params(), full, ImpostorFrameOf(full));
    ASSERT_TRUE(atlas);

    const std::vector<uint8_t> whole = DrawOutline(session, nullptr, nullptr);
    const double least[3] = {0.85, 0.85, GetParam().leastImpostor};
    for (size_t k = 0; k < levels.size(); ++k) {
        const std::vector<uint8_t> outline = DrawOutline(session, &levels[k], &*atlas);
        const double iou = IntersectionOverUnion(whole, outline);
        EXPECT_GE(iou, least[k]) << GetParam().name << " level " << k + 1;
        std::printf("%s: level %zu outline against the full tree's: %.3f\n", GetParam().name, k + 1,
                    iou);
        if (iou < least[k]) {
            const std::string stem = std::string(GetParam().name) + "-";
            Keep(whole, 540, 350, stem + "level0.png");
            Keep(outline, 540, 350, stem + "level" + std::to_string(k + 1) + ".png");
            QImage image(atlas->rgba.data(), atlas->width, atlas->height, atlas->width * 4,
                         QImage::Format_RGBA8888);
            image.save(QString::fromStdString(std::string(TEST_OUTPUT_DIR) + "/levels/" + stem +
                                              "atlas.png"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, LevelSilhouette,
                         // The default tree's crown is thin: single leaves with sky between
                         // them, which a flat picture shows moved by up to their distance
                         // from its quad, seen from a camera inside the crown's reach. Its
                         // impostor reaches about 0.61, the fuller crown at depth 25 0.77.
                         ::testing::Values(Tree{"defaults", 19.29f, 0.55},
                                           Tree{"depth25", 25.0f, 0.7}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
