#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "model/TreeParams.h"
#include "render/BranchMesh.h"
#include "render/GlContextState.h"
#include "render/MatrixStack.h"

namespace {

using MatrixStackTest = RenderTest;

GLint GlInt(GLenum what) {
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

} // namespace

TEST_F(MatrixStackTest, SavesAndRestoresBeyondOpenGLsOwnStack) {
    glPushMatrix(); // start from a depth other than the bottom
    const GLint depth = GlInt(GL_MODELVIEW_STACK_DEPTH);
    ModelViewStack& stack = gl.state().modelView;
    const int pushes = GlInt(GL_MAX_MODELVIEW_STACK_DEPTH) + 20;
    for (int i = 0; i < pushes; ++i) {
        stack.Push();
        glTranslatef(1.0f, 0.0f, 0.0f);
    }
    EXPECT_EQ(stack.Nesting(), pushes);
    EXPECT_GT(stack.Spilled(), 0);
    for (int i = pushes; i > 0; --i) {
        ASSERT_FLOAT_EQ(Mat4::FromGl(GL_MODELVIEW_MATRIX).m[12], static_cast<float>(i));
        stack.Pop();
    }
    EXPECT_EQ(Mat4::FromGl(GL_MODELVIEW_MATRIX).m, Mat4::Identity().m);
    EXPECT_EQ(GlInt(GL_MODELVIEW_STACK_DEPTH), depth);
    EXPECT_EQ(stack.Nesting(), 0);
    EXPECT_EQ(stack.Spilled(), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glPopMatrix();
}

TEST_F(MatrixStackTest, SideBranchesNestedDeeperThanTheStackDrawCorrectly) {
    // Each level is a chain of two segments whose first carries the next level's chain;
    // every side branch adds two saved matrices, so this nests well past OpenGL's stack.
    const int levels = GlInt(GL_MAX_MODELVIEW_STACK_DEPTH) / 2 + 10;
    params.sseScaleAttenuate = 0.97f;
    const double k = params.sseScaleAttenuate;
    Segment root;
    Fork trunk;
    trunk.parent = &root;
    Fork* chain = &trunk;
    Mat4 deepest = Mat4::Identity();
    Mat4 outerLeaf;
    for (int level = 0; level < levels; ++level) {
        chain->first = MakeSegment(1.0f, 0.3f, 12.0, 37.0 * level);
        Segment& first = *chain->first;
        const Mat4 afterFirst =
            deepest *
            Mat4::Rotation(static_cast<float>(first.expand), static_cast<float>(first.sinTwist),
                           0.0, static_cast<float>(first.cosTwist)) *
            Mat4::Translation(0, 1, 0);
        if (level == levels - 1) {
            first.leaf = MakeLeaf(0.5f, 1.0f);
            deepest = afterFirst;
            break;
        }
        first.next = MakeSegment(1.0f, 0.25f);
        if (level == 0) {
            // A leaf drawn after the whole nest has been unwound again.
            first.next->leaf = MakeLeaf(0.5f, 1.0f);
            outerLeaf = afterFirst * Mat4::Translation(0, 1, 0);
        }
        first.fork = std::make_unique<Fork>();
        first.fork->parent = &first;
        chain = first.fork.get();
        deepest = afterFirst * Mat4::Scaling(k, k, k);
    }

    glTranslatef(0.25f, 0.0f, -1.0f);
    glPushMatrix();
    const Mat4 start = Mat4::FromGl(GL_MODELVIEW_MATRIX);
    const GLint depth = GlInt(GL_MODELVIEW_STACK_DEPTH);
    glDisable(GL_LIGHTING); // leaves white, tubes black in the feedback
    const auto polygons = CaptureFeedback([&] { DrawChain(trunk, params, gl.state()); });

    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(GlInt(GL_MODELVIEW_STACK_DEPTH), depth);
    EXPECT_EQ(Mat4::FromGl(GL_MODELVIEW_MATRIX).m, start.m);
    EXPECT_EQ(gl.state().modelView.Nesting(), 0);
    EXPECT_EQ(gl.state().modelView.Spilled(), 0);

    std::vector<FeedbackVertex> leafVertices;
    for (const FeedbackVertex& v : Vertices(polygons)) {
        if (v.color[0] == 1.0f) {
            leafVertices.push_back(v);
        }
    }
    ASSERT_GE(leafVertices.size(), 8u);
    // The deepest leaf comes first: side branches are drawn before the next tube.
    const size_t half = leafVertices.size() / 2;
    for (size_t i = 0; i < leafVertices.size(); ++i) {
        const FeedbackVertex& v = leafVertices[i];
        const Mat4& frame = i < half ? deepest : outerLeaf;
        const auto want =
            (start * frame * Mat4::Scaling(0.5, 0.5, 0.5)).Apply(v.tex[0] - 0.5, v.tex[1], 0.0);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(v.pos[c], want[c], 2e-3) << "leaf vertex " << i;
        }
    }
    glPopMatrix();
}
