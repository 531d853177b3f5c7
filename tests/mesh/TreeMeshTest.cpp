#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "ModelRecords.h"
#include "mesh/TreeGeometry.h"
#include "mesh/TreeMesh.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"

namespace {

using Vec = std::array<double, 3>;

Vec At(const std::vector<float>& v, size_t vertex) {
    return {v[3 * vertex], v[3 * vertex + 1], v[3 * vertex + 2]};
}

double Distance(const Vec& a, const Vec& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

double Length(const Vec& a) {
    return Distance(a, {0, 0, 0});
}

// Centre of a tube's top ring: the mean of its six distinct top corners.
Vec TopCentre(const MeshPart& bark, size_t tube) {
    Vec c{0, 0, 0};
    for (int k = 0; k < 6; ++k) {
        const Vec p = At(bark.positions, 14 * tube + 2 * k + 1);
        for (int i = 0; i < 3; ++i) {
            c[i] += p[i] / 6.0;
        }
    }
    return c;
}

} // namespace

TEST(TreeMesh, DefaultTreeCountsOnePassAndFollowsEveryGrowth) {
    TreeSession session(TreeParams{}, 3);
    const TreeModel& model = session.model();
    const TreeParams& params = session.params();
    EXPECT_EQ(model.generation(), 0u);
    EXPECT_EQ(BuildTreeMesh(model, params).bark.vertexCount(), 0u);
    session.Regrow();
    const TreeMesh mesh = BuildTreeMesh(model, params);
    EXPECT_EQ(mesh.modelGeneration, model.generation());

    // A frame adds the pass twice; the read-out shows 4758 Nodes, 222.97 KB,
    // 35458 Vertices and 16008 Quadrangles.
    FrameStats frame;
    frame += mesh.passStats;
    frame += mesh.passStats;
    EXPECT_EQ(frame.nodes, 4758);
    EXPECT_EQ(frame.memoryBytes, 228320);
    EXPECT_EQ(frame.vertices + 50, 35458);
    EXPECT_EQ(frame.quadrangles + 22, 16008);

    const ModelCounts counts = CountModel(model);
    EXPECT_EQ(mesh.bark.vertexCount(), 14u * counts.segments); // the trunk's root is not one
    EXPECT_EQ(mesh.bark.triangleCount(), 12u * counts.segments);
    EXPECT_EQ(mesh.leaves.vertexCount(), 4u * counts.leaves);
    EXPECT_EQ(mesh.leafColours.size(), 16u * counts.leaves);
    EXPECT_EQ(mesh.bark.normals.size(), mesh.bark.positions.size());
    EXPECT_EQ(mesh.leaves.texCoords.size(), 2 * mesh.leaves.vertexCount());
    for (uint32_t i : mesh.bark.indices) {
        ASSERT_LT(i, mesh.bark.vertexCount());
    }
    for (uint32_t i : mesh.leaves.indices) {
        ASSERT_LT(i, mesh.leaves.vertexCount());
    }

    const uint64_t before = model.generation();
    session.Regrow();
    EXPECT_GT(model.generation(), before);
}

// A chain bent and twisted at every segment, with a side branch: each tube's bottom ring,
// reached through the composed rotate-then-translate steps, is the previous tube's top
// ring, which comes from the closed-form top-ring formula; the side branch starts at its
// parent's top ring shrunk by the side-branch scale about the ring's centre.
TEST(TreeMesh, TubesJoinAndSideBranchesShrinkByTheScale) {
    TreeModel model;
    model.trunk.parent = &model.root;
    model.trunk.first = MakeSegment(6.0f, 0.7f, 20.0, 35.0);
    Segment* s1 = model.trunk.first.get();
    s1->next = MakeSegment(5.0f, 0.6f, 31.0, 95.0);
    s1->next->next = MakeSegment(4.0f, 0.5f, 12.0, 160.0);
    s1->next->fork = std::make_unique<Fork>();
    s1->next->fork->parent = s1->next.get();
    s1->next->fork->first = MakeSegment(3.0f, 0.4f, 50.0, 240.0);

    TreeParams params;
    params.sseScaleAttenuate = 0.5f;
    const TreeMesh mesh = BuildTreeMesh(model, params);
    // Drawing order: tube 1 over root, tube 2, the side branch's tube, tube 3.
    ASSERT_EQ(mesh.bark.vertexCount(), 4u * 14u);
    const size_t order[] = {0, 1, 3};
    for (size_t i = 0; i + 1 < 3; ++i) {
        for (int k = 0; k < 7; ++k) {
            const Vec top = At(mesh.bark.positions, 14 * order[i] + 2 * k + 1);
            const Vec bottom = At(mesh.bark.positions, 14 * order[i + 1] + 2 * k);
            EXPECT_LT(Distance(top, bottom), 1e-4) << "tube " << order[i] << " corner " << k;
        }
    }
    // The first tube stands on the root's ring at the origin.
    EXPECT_LT(Distance(At(mesh.bark.positions, 0), {0.4, 0.0, 0.6928203}), 1e-6);

    const Vec centre = TopCentre(mesh.bark, 1);
    for (int k = 0; k < 7; ++k) {
        const Vec parentCorner = At(mesh.bark.positions, 14 + 2 * k + 1);
        const Vec branchCorner = At(mesh.bark.positions, 28 + 2 * k);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(branchCorner[i] - centre[i], 0.5 * (parentCorner[i] - centre[i]), 1e-4);
        }
        // Normals are unnormalised: the bottom ring's radius, over the scales above.
        EXPECT_NEAR(Length(At(mesh.bark.normals, 2 * k)), 0.8, 1e-5);
        EXPECT_NEAR(Length(At(mesh.bark.normals, 28 + 2 * k)), 0.6 / 0.5, 1e-5);
    }
    EXPECT_EQ(mesh.passStats.nodes, 4 + 2);
}

// A leaf is scaled, turned by its twist about the segment's axis and tilted by its angle
// about its own x axis, tilt first.
TEST(TreeMesh, LeafIsScaledTwistedAndTiltedAtTheTopOfItsSegment) {
    TreeModel model;
    model.trunk.parent = &model.root;
    model.trunk.first = MakeSegment(10.0f, 0.5f, 0.0, 0.0);
    auto leaf = std::make_unique<Leaf>();
    leaf->size = 2.0f;
    leaf->jitter = 1.0f;
    leaf->angle = 30.0f;
    leaf->twist = 90.0f;
    model.trunk.first->leaf = std::move(leaf);

    const TreeMesh mesh = BuildTreeMesh(model, TreeParams{});
    ASSERT_EQ(mesh.leaves.vertexCount(), 4u);
    // (0.5, 1, 0) tilted by 30 degrees about x is (0.5, cos 30, sin 30); turned by 90
    // degrees about y it is (sin 30, cos 30, -0.5); scaled by 2, over the top at y = 10.
    const double c30 = std::cos(M_PI / 6.0);
    EXPECT_LT(Distance(At(mesh.leaves.positions, 1), {1.0, 10.0 + 2.0 * c30, -1.0}), 1e-5);
    EXPECT_LT(Distance(At(mesh.leaves.positions, 0), {0.0, 10.0, -1.0}), 1e-5);
    // The normal (1, 1, 1) turns with the quad and shrinks by the scale.
    const Vec n = At(mesh.leaves.normals, 1);
    EXPECT_NEAR(Length(n), std::sqrt(3.0) / 2.0, 1e-6);
    EXPECT_NEAR(n[1], (c30 - 0.5) / 2.0, 1e-6);
    const std::array<float, 4> ambient = LeafAmbient(1.0f);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(mesh.leafColours[i], ambient[i % 4]);
    }
    EXPECT_FLOAT_EQ(ambient[0], 0.47f);
    EXPECT_FLOAT_EQ(ambient[1], 0.552f);
}

// Built by several threads, each writing whole side branches at the places the layout
// gives them, the mesh is the same arrays, in the same order, as one walk writes; on a
// tree of many small branches (depth 25) and on one whose branches keep the full count.
TEST(TreeMesh, ThreadsWriteTheSameArraysAsOneWalk) {
    for (const float depAttenuate : {0.81f, 1.0f}) {
        TreeSession session(TreeParams{}, 4);
        TreeParams& params = session.params();
        params.totalDepth = depAttenuate < 1.0f ? 25.0f : 15.0f;
        params.sseDepAttenuate = depAttenuate;
        session.Regrow();
        const TreeModel& model = session.model();
        const TreeMesh one = BuildTreeMesh(model, params, true, 1);
        ASSERT_GT(one.bark.vertexCount() + one.leaves.vertexCount(), 40000u);
        for (const int threads : {2, 3, 8}) {
            const TreeMesh many = BuildTreeMesh(model, params, true, threads);
            EXPECT_EQ(many.bark.positions, one.bark.positions) << threads;
            EXPECT_EQ(many.bark.normals, one.bark.normals) << threads;
            EXPECT_EQ(many.bark.texCoords, one.bark.texCoords) << threads;
            EXPECT_EQ(many.leaves.positions, one.leaves.positions) << threads;
            EXPECT_EQ(many.leaves.normals, one.leaves.normals) << threads;
            EXPECT_EQ(many.leaves.texCoords, one.leaves.texCoords) << threads;
            EXPECT_EQ(many.leafColours, one.leafColours) << threads;
            EXPECT_EQ(many.passStats, one.passStats) << threads;
        }

        // A layout measured before a regrowth no longer describes the structure: nothing is
        // written through it.
        const TreeMeshLayout stale = MeasureTreeMesh(model);
        session.Regrow();
        const TreeMesh none = BuildTreeMeshInto(model, params, stale, MeshDestination{});
        EXPECT_EQ(none.passStats, FrameStats{});
    }
}
