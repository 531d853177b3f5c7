#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "RenderTestSupport.h"
#include "mesh/FrameStats.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"
#include "render/ApplyMaterial.h"
#include "render/BranchMesh.h"
#include "render/GlContextState.h"
#include "render/Material.h"

namespace {

using BranchMeshTest = RenderTest;

// The ring corner a texture s-coordinate belongs to (s = 1 repeats the first corner).
std::array<float, 2> RingCorner(const Segment& s, float texS) {
    const int step = static_cast<int>(std::lround(texS * 6.0f)) % 6;
    const float x[6] = {s.halfRadius,  -s.halfRadius, -s.radius,
                        -s.halfRadius, s.halfRadius,  s.radius};
    const float z[6] = {s.hexHeight, s.hexHeight, 0.0f, -s.hexHeight, -s.hexHeight, 0.0f};
    return {x[step], z[step]};
}

// Checks every vertex of a drawn tube against its ring: bottom vertices (t = 0) at the
// corners of `below`, top vertices (t = 1) at the corners of `segment` moved by `top`.
void ExpectTube(const std::vector<FeedbackVertex>& vertices, const Segment& segment,
                const Segment& below, const Mat4& top, double tolerance) {
    std::set<long> bottomSteps, topSteps;
    for (const FeedbackVertex& v : vertices) {
        const long step = std::lround(v.tex[0] * 6.0f);
        if (v.tex[1] == 0.0f) {
            bottomSteps.insert(step);
            const auto c = RingCorner(below, v.tex[0]);
            EXPECT_NEAR(v.pos[0], c[0], tolerance);
            EXPECT_NEAR(v.pos[1], 0.0, tolerance);
            EXPECT_NEAR(v.pos[2], c[1], tolerance);
        } else {
            ASSERT_EQ(v.tex[1], 1.0f);
            topSteps.insert(step);
            const auto c = RingCorner(segment, v.tex[0]);
            const auto want = top.Apply(c[0], 0.0, c[1]);
            EXPECT_NEAR(v.pos[0], want[0], tolerance);
            EXPECT_NEAR(v.pos[1], want[1], tolerance);
            EXPECT_NEAR(v.pos[2], want[2], tolerance);
        }
    }
    // Seven steps on each ring, s running 0, 1/6, ..., 1.
    EXPECT_EQ(bottomSteps.size(), 7u);
    EXPECT_EQ(topSteps.size(), 7u);
}

} // namespace

TEST_F(BranchMeshTest, StraightTubeRunsFromTheRingBelowToItsOwnRingAtHeightL) {
    auto below = MakeSegment(8.0f, 0.8f);
    auto seg = MakeSegment(5.0f, 0.6f);
    const auto polygons = CaptureFeedback([&] { DrawSegment(*seg, *below, params, gl.state()); });
    EXPECT_FALSE(polygons.empty());
    ExpectTube(Vertices(polygons), *seg, *below, Mat4::Translation(0, 5, 0), 2e-4);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BranchMeshTest, BentTwistedTopRingMatchesTheRotateTranslateTransform) {
    auto below = MakeSegment(4.0f, 0.5f);
    auto seg = MakeSegment(3.7f, 0.42f, 26.4, 123.4);
    // The frame the chain walk reaches after the segment, built by OpenGL itself.
    glPushMatrix();
    glLoadIdentity();
    glRotatef(static_cast<float>(seg->expand), static_cast<float>(seg->sinTwist), 0.0f,
              static_cast<float>(seg->cosTwist));
    glTranslatef(0.0f, seg->length, 0.0f);
    const Mat4 top = Mat4::FromGl(GL_MODELVIEW_MATRIX);
    glPopMatrix();

    for (float a : {seg->radius, -seg->halfRadius, 0.0f}) {
        for (float b : {seg->hexHeight, -seg->hexHeight, 0.0f}) {
            const auto got = TopRingVertex(*seg, a, b);
            const auto want = top.Apply(a, 0.0, b);
            for (int i = 0; i < 3; ++i) {
                EXPECT_NEAR(got[i], want[i], 1e-5) << a << ", " << b << " [" << i << "]";
            }
        }
    }
    const auto polygons = CaptureFeedback([&] { DrawSegment(*seg, *below, params, gl.state()); });
    ExpectTube(Vertices(polygons), *seg, *below, top, 2e-4);
}

TEST_F(BranchMeshTest, CountersOfOneChainWithAndWithoutParent) {
    constexpr int n = 5, m = 3;
    Segment parent;
    Fork chain;
    chain.first = MakeSegment(4.0f, 0.7f, 10.0, 20.0);
    Segment* s = chain.first.get();
    for (int i = 1; i < n; ++i) {
        s->next = MakeSegment(4.0f - 0.5f * i, 0.7f - 0.1f * i, 10.0, 20.0 * i);
        s = s->next.get();
    }
    // The last three segments carry the leaves.
    int i = 0;
    for (Segment* t = chain.first.get(); t; t = t->next.get(), ++i) {
        if (i >= n - m) {
            t->leaf = MakeLeaf(1.0f, 1.0f);
        }
    }

    chain.parent = &parent;
    FrameStats stats = DrawChain(chain, params, gl.state());
    EXPECT_EQ(stats.quadrangles, 6 * n + m);
    EXPECT_EQ(stats.vertices, 12 * n + 4 * m);
    EXPECT_EQ(stats.nodes, n + m + 1);
    EXPECT_EQ(stats.memoryBytes, 80 * n + 16 * m + 16);

    chain.parent = nullptr;
    stats = DrawChain(chain, params, gl.state());
    EXPECT_EQ(stats.quadrangles, 6 * (n - 1) + m);
    EXPECT_EQ(stats.vertices, 12 * (n - 1) + 4 * m);
    EXPECT_EQ(stats.nodes, (n - 1) + m + 1);
    EXPECT_EQ(stats.memoryBytes, 80 * (n - 1) + 16 * m + 16);
}

TEST_F(BranchMeshTest, SingleSegmentChainDrawsItsTubeOnlyWithAParent) {
    Segment parent;
    Fork chain;
    chain.first = MakeSegment(2.0f, 0.5f);
    chain.first->leaf = MakeLeaf(1.0f, 1.0f);
    chain.parent = &parent;
    FrameStats stats = DrawChain(chain, params, gl.state());
    EXPECT_EQ(stats.quadrangles, 7);
    EXPECT_EQ(stats.nodes, 3);

    chain.parent = nullptr;
    stats = DrawChain(chain, params, gl.state());
    EXPECT_EQ(stats.quadrangles, 1);
    EXPECT_EQ(stats.vertices, 4);
    EXPECT_EQ(stats.nodes, 2);
    EXPECT_EQ(stats.memoryBytes, 32);
}

TEST_F(BranchMeshTest, GrownTreeIsDrawnWholeAndLeavesMatrixAndStackAsFound) {
    TreeSession session(params, 11);
    session.Regrow();
    const TreeModel& model = session.model();
    glTranslatef(1.0f, -2.0f, 3.0f);
    glPushMatrix();
    glRotatef(33.0f, 0.0f, 1.0f, 0.0f);
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    const Mat4 before = Mat4::FromGl(GL_MODELVIEW_MATRIX);

    const FrameStats stats = DrawModel(model, params, gl.state());

    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_EQ(Mat4::FromGl(GL_MODELVIEW_MATRIX).m, before.m);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // Every segment has a ring below it, so every record of the tree is counted.
    const ModelCounts counts = CountModel(model);
    EXPECT_EQ(stats.nodes, counts.records());
    EXPECT_EQ(stats.quadrangles, 6 * counts.segments + counts.leaves);
    EXPECT_EQ(stats.vertices, 12 * counts.segments + 4 * counts.leaves);
    EXPECT_EQ(stats.memoryBytes, 80 * counts.segments + 16 * (counts.leaves + counts.forks));
    glPopMatrix();
}

TEST_F(BranchMeshTest, SideBranchScaleIsReadAtDrawTime) {
    // A straight trunk of two segments; the side branch on the first one is bent 90
    // degrees about z, so its top ring lies at x = -length times the branch scale.
    Segment parent;
    Fork trunk;
    trunk.parent = &parent;
    trunk.first = MakeSegment(2.0f, 0.5f);
    trunk.first->next = MakeSegment(2.0f, 0.4f);
    trunk.first->fork = std::make_unique<Fork>();
    trunk.first->fork->parent = trunk.first.get();
    trunk.first->fork->first = MakeSegment(4.0f, 0.3f, 90.0, 0.0);

    auto leftmost = [&] {
        double x = 0.0;
        for (const FeedbackVertex& v :
             Vertices(CaptureFeedback([&] { DrawChain(trunk, params, gl.state()); }))) {
            x = std::min(x, v.pos[0]);
        }
        return x;
    };
    params.sseScaleAttenuate = 0.5f;
    EXPECT_NEAR(leftmost(), -2.0, 1e-3);
    params.sseScaleAttenuate = 1.0f;
    EXPECT_NEAR(leftmost(), -4.0, 1e-3);
}

TEST_F(BranchMeshTest, ReapplyingTheSameMaterialIsSkipped) {
    Material first, second;
    first.ambient = {0.1f, 0.2f, 0.3f, 1.0f};
    ApplyMaterial(first, GL_FRONT_AND_BACK, gl.state());
    ASSERT_TRUE(gl.state().appliedMaterial);
    EXPECT_EQ(*gl.state().appliedMaterial, first);

    auto ambient = [] {
        std::array<GLfloat, 4> c{};
        glGetMaterialfv(GL_FRONT, GL_AMBIENT, c.data());
        return c;
    };
    // Changed behind the cache's back, OpenGL keeps that change: the same colours again
    // are not sent.
    const GLfloat other[4] = {0.9f, 0.8f, 0.7f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, other);
    ApplyMaterial(first, GL_FRONT_AND_BACK, gl.state());
    EXPECT_FLOAT_EQ(ambient()[0], 0.9f);

    // Other colours are sent, on both faces, and so are the first ones after them.
    second.ambient = {0.4f, 0.5f, 0.6f, 1.0f};
    ApplyMaterial(second, GL_FRONT_AND_BACK, gl.state());
    EXPECT_FLOAT_EQ(ambient()[0], 0.4f);
    ApplyMaterial(first, GL_FRONT_AND_BACK, gl.state());
    EXPECT_FLOAT_EQ(ambient()[0], 0.1f);
    std::array<GLfloat, 4> back{};
    glGetMaterialfv(GL_BACK, GL_AMBIENT, back.data());
    EXPECT_FLOAT_EQ(back[2], 0.3f);
}

TEST_F(BranchMeshTest, TheTreeMaterialsComeFromWhatIsDrawn) {
    // The bark's fixed colours, the leaf's from its factor over a dark red.
    const Material bark = BarkMaterial();
    EXPECT_EQ(bark.ambient, (std::array<float, 4>{0.15f, 0.15f, 0.15f, 1.0f}));
    EXPECT_EQ(bark.diffuse, (std::array<float, 4>{0.5f, 0.5f, 0.5f, 1.0f}));
    const Material leaf = LeafMaterial(1.5f);
    EXPECT_EQ(leaf.diffuse, (std::array<float, 4>{0.1f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(leaf.ambient, LeafAmbient(1.5f));
    EXPECT_NE(LeafMaterial(0.5f), leaf);

    // A tube sends the bark's colours to its context.
    auto below = MakeSegment(8.0f, 0.8f);
    auto seg = MakeSegment(5.0f, 0.6f);
    DrawSegment(*seg, *below, params, gl.state());
    std::array<GLfloat, 4> diffuse{};
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, diffuse.data());
    EXPECT_EQ(diffuse, bark.diffuse);
}
