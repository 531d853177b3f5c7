#include <gtest/gtest.h>

#include <cmath>

#include "RenderTestSupport.h"
#include "mesh/FrameStats.h"
#include "model/TreeParams.h"
#include "render/GlContextState.h"
#include "render/Shadow.h"

namespace {

// A straight trunk of height 10 with one leaf at its top, turned so that it stands
// across the z axis.
struct ShadowTest : RenderTest {
    ShadowTest() {
        model.trunk.parent = &model.root;
        model.trunk.first = MakeSegment(10.0f, 0.5f);
        model.trunk.first->leaf = MakeLeaf(4.0f, 1.0f, 0.0f, 90.0f);
    }

    // Looks straight down on the ground: ground point (x, 0, z) appears at (x, -z).
    void LookDownOnTheGround() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-20, 20, -20, 20, -50, 50);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    }

    // The pixel showing ground point (x, 0, z).
    std::array<uint8_t, 4> GroundPixel(double x, double z) {
        return gl.pixel(static_cast<int>((x + 20.0) / 40.0 * gl.width()),
                        static_cast<int>((-z + 20.0) / 40.0 * gl.height()));
    }

    // Clears to mid grey and draws the shadow.
    std::vector<uint8_t> DrawOnGrey() {
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        stats = DrawModelShadow(model, params, 0.0f, gl.state());
        return gl.readPixels();
    }

    TreeModel model;
    FrameStats stats; // of the last DrawOnGrey
};

} // namespace

TEST_F(ShadowTest, RestoresTheDrawingStateAndTheMatrix) {
    glTranslatef(0.0f, -3.0f, 0.0f);
    const Mat4 before = Mat4::FromGl(GL_MODELVIEW_MATRIX);
    glDisable(GL_TEXTURE_2D); // switched on afterwards whatever it was before
    const FrameStats stats = DrawModelShadow(model, params, -45.0f, gl.state());
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(gl.state().shadowPass);
    EXPECT_EQ(Mat4::FromGl(GL_MODELVIEW_MATRIX).m, before.m);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    // The shadow pass is counted like the tree pass: one tube, one leaf, one chain.
    EXPECT_EQ(stats.nodes, 3);
    EXPECT_EQ(stats.quadrangles, 7);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ShadowTest, PointAtHeightHLandsAtMinusLTimesHOnTheGround) {
    model.trunk.first->leaf.reset();
    params.brushShadowDensity = 0.4f;
    const float angle = 30.0f;
    glDisable(GL_LIGHTING);
    const auto vertices =
        Vertices(CaptureFeedback([&] { DrawModelShadow(model, params, angle, gl.state()); }));
    ASSERT_FALSE(vertices.empty());
    const Mat4 turn = Mat4::Rotation(angle, 0, 1, 0);
    const Segment& top = *model.trunk.first;
    int topVertices = 0;
    for (const FeedbackVertex& v : vertices) {
        EXPECT_NEAR(v.pos[1], 0.0, 1e-4);
        EXPECT_NEAR(v.color[3], 0.4f, 1e-6);
        if (v.tex[1] == 1.0f) {
            ++topVertices;
            EXPECT_NEAR(v.pos[0], -0.98 * 10.0, 2e-4);
            // z is kept from the turned tree point; step 6's corner is (radius, 0).
            if (std::lround(v.tex[0] * 6.0f) == 5) {
                EXPECT_NEAR(v.pos[2], turn.Apply(top.radius, 10.0, 0.0)[2], 2e-4);
            }
        } else {
            EXPECT_NEAR(v.pos[0], 0.0, 2e-4);
        }
    }
    EXPECT_GT(topVertices, 0);
}

TEST_F(ShadowTest, DensityZeroIsInvisibleAndDensityOneIsBlack) {
    LookDownOnTheGround();
    params.brushShadowDensity = 0.0f;
    params.leafShadowDensity = 0.0f;
    const std::vector<uint8_t> pixels = DrawOnGrey();
    const std::array<uint8_t, 4> grey = GroundPixel(15, 15);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        ASSERT_EQ(pixels[i], grey[0]) << i / 4;
        ASSERT_EQ(pixels[i + 1], grey[1]) << i / 4;
        ASSERT_EQ(pixels[i + 2], grey[2]) << i / 4;
    }
    EXPECT_EQ(stats.nodes, 3); // drawn and counted all the same

    params.brushShadowDensity = 1.0f;
    params.leafShadowDensity = 1.0f;
    DrawOnGrey();
    const std::array<uint8_t, 4> black = {0, 0, 0, 255};
    EXPECT_EQ(GroundPixel(-5.0, 0.0), black);  // the trunk, halfway up
    EXPECT_EQ(GroundPixel(-12.0, 1.5), black); // the leaf, beside the trunk's line
    EXPECT_EQ(GroundPixel(5.0, 0.0), grey);    // nothing falls towards +x
}

TEST_F(ShadowTest, TranslucentLeafShadowBlendsOverTheGround) {
    LookDownOnTheGround();
    params.brushShadowDensity = 0.0f;
    params.leafShadowDensity = 0.5f;
    DrawOnGrey();
    // One layer of the leaf quad: half of the grey.
    const auto leaf = GroundPixel(-12.0, 1.5);
    EXPECT_NEAR(leaf[0], 64, 2);
    EXPECT_EQ(GroundPixel(-5.0, 0.0), GroundPixel(15, 15));
}
