#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "mesh/FrameStats.h"
#include "mesh/TreeGeometry.h"
#include "model/TreeParams.h"
#include "render/GlContextState.h"
#include "render/Leaves.h"
#include "render/Material.h"
#include "render/Shadow.h"
#include "render/Texture.h"

namespace {

using LeafTest = RenderTest;

std::array<GLfloat, 4> CurrentColor() {
    std::array<GLfloat, 4> c{};
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

} // namespace

TEST_F(LeafTest, NormalPassTurnsTheAlphaTestOffAgainAndRestoresTheMatrix) {
    glTranslatef(0.5f, 1.5f, -2.0f);
    const Mat4 before = Mat4::FromGl(GL_MODELVIEW_MATRIX);
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);

    const FrameStats stats = DrawLeaf(*MakeLeaf(1.2f, 0.8f, 20.0f, 45.0f), params, gl.state());

    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    GLint func = 0;
    GLfloat ref = 0.0f;
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &func);
    glGetFloatv(GL_ALPHA_TEST_REF, &ref);
    EXPECT_EQ(func, GL_LESS);
    EXPECT_FLOAT_EQ(ref, 0.1f);
    EXPECT_EQ(CurrentColor(), (std::array<GLfloat, 4>{1, 1, 1, 1}));
    EXPECT_EQ(Mat4::FromGl(GL_MODELVIEW_MATRIX).m, before.m);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_EQ(gl.state().boundTexture, leafTexture.glName());
    EXPECT_EQ(stats.quadrangles, 1);
    EXPECT_EQ(stats.vertices, 4);
    EXPECT_EQ(stats.nodes, 1);
    EXPECT_EQ(stats.memoryBytes, 16);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(LeafTest, ShadowPassLeavesTheAlphaTestAloneAndUsesTheLeafShadowDensity) {
    params.leafShadowDensity = 0.6f;
    gl.state().shadowPass = true;
    glAlphaFunc(GL_GREATER, 0.7f);
    glEnable(GL_ALPHA_TEST);
    DrawLeaf(*MakeLeaf(1.0f, 1.0f), params, gl.state());
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    GLint func = 0;
    GLfloat ref = 0.0f;
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &func);
    glGetFloatv(GL_ALPHA_TEST_REF, &ref);
    EXPECT_EQ(func, GL_GREATER);
    EXPECT_FLOAT_EQ(ref, 0.7f);

    glDisable(GL_ALPHA_TEST);
    glDisable(GL_LIGHTING);
    const auto vertices =
        Vertices(CaptureFeedback([&] { DrawLeaf(*MakeLeaf(1.0f, 1.0f), params, gl.state()); }));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    ASSERT_FALSE(vertices.empty());
    for (const FeedbackVertex& v : vertices) {
        EXPECT_EQ(v.color[0], 0.0f);
        EXPECT_NEAR(v.color[3], 0.6f, 1e-6);
    }
    gl.state().shadowPass = false;
}

TEST_F(LeafTest, AmbientFollowsTheJitter) {
    auto applied = [] {
        std::array<GLfloat, 4> c{};
        glGetMaterialfv(GL_FRONT, GL_AMBIENT, c.data());
        return c;
    };
    DrawLeaf(*MakeLeaf(1.0f, 1.0f), params, gl.state());
    EXPECT_EQ(LeafAmbient(1.0f), (std::array<float, 4>{0.47f, 0.552f, 0.0f, 1.0f}));
    EXPECT_EQ(applied(), (std::array<GLfloat, 4>{0.47f, 0.552f, 0.0f, 1.0f}));
    ASSERT_TRUE(gl.state().appliedMaterial);
    EXPECT_EQ(*gl.state().appliedMaterial, LeafMaterial(1.0f));

    // The largest factor gives the reddest leaf; its colour is sent even right after
    // another leaf's.
    DrawLeaf(*MakeLeaf(1.0f, 1.5f), params, gl.state());
    EXPECT_EQ(applied()[0], static_cast<float>(0.47 + 0.025));
    EXPECT_EQ(applied()[1], static_cast<float>(0.552 - 0.025));
}

TEST_F(LeafTest, QuadIsScaledTurnedAndTiltedInThatOrder) {
    const auto polygons =
        CaptureFeedback([&] { DrawLeaf(*MakeLeaf(2.0f, 1.5f, 30.0f, 90.0f), params, gl.state()); });
    const Mat4 leaf =
        Mat4::Scaling(3, 3, 3) * Mat4::Rotation(90, 0, 1, 0) * Mat4::Rotation(30, 1, 0, 0);
    const auto vertices = Vertices(polygons);
    ASSERT_GE(vertices.size(), 4u);
    for (const FeedbackVertex& v : vertices) {
        // Texture s is 1 on the +x edge, t is 1 on the tip.
        const auto want = leaf.Apply(v.tex[0] - 0.5, v.tex[1], 0.0);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(v.pos[i], want[i], 2e-4);
        }
    }
}

TEST_F(LeafTest, AlphaTestCutsTheLeafOutOfItsPaleBackground) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -1, 3, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    auto centreAfterDrawing = [&](uint8_t blue) {
        platform.AddBitmap("leaf.bmp", 128, 128, blue, 200, 60);
        // A new picture: forget the texture object made from the old one.
        gl.state().TextureFor(leafTexture.id).name = 0;
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawLeaf(*MakeLeaf(2.0f, 1.0f), params, gl.state());
        return gl.pixel(gl.width() / 2, gl.height() / 2);
    };
    // Blue near 0 marks the leaf: it is drawn.
    const auto leafPixel = centreAfterDrawing(0);
    EXPECT_LT(leafPixel[2], 50);
    EXPECT_GT(leafPixel[1], 50);
    // High blue marks the background: nothing is drawn.
    EXPECT_EQ(centreAfterDrawing(230), (std::array<uint8_t, 4>{0, 0, 255, 255}));
}
