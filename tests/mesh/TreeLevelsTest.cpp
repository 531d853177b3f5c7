// The wind data of a built mesh and the lighter levels made from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "mesh/TreeGeometry.h"
#include "mesh/TreeLevels.h"
#include "mesh/TreeMesh.h"
#include "mesh/TreeWind.h"
#include "model/TreeSession.h"

namespace {

TreeMesh Grown(float depth, bool wind, int threads = 0) {
    TreeParams params;
    params.totalDepth = depth;
    TreeSession session(params, 7);
    session.Regrow();
    return BuildTreeMesh(session.model(), session.params(), true, threads, wind);
}

float Weight(const MeshPart& part, size_t vertex) {
    return part.wind[2 * vertex];
}

float Phase(const MeshPart& part, size_t vertex) {
    return part.wind[2 * vertex + 1];
}

// The area of leaf `leaf`'s quad.
double LeafArea(const MeshPart& leaves, size_t leaf) {
    const float* p = &leaves.positions[12 * leaf];
    const double a[3] = {p[3] - p[0], p[4] - p[1], p[5] - p[2]};
    const double b[3] = {p[9] - p[0], p[10] - p[1], p[11] - p[2]};
    const double c[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                         a[0] * b[1] - a[1] * b[0]};
    return std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
}

double LeafAreas(const MeshPart& leaves) {
    double sum = 0.0;
    for (size_t l = 0; l < leaves.vertexCount() / 4; ++l) {
        sum += LeafArea(leaves, l);
    }
    return sum;
}

TEST(TreeWind, WeightsRiseFromTheFootAlongEveryChainAndLimbsKeepOnePhase) {
    const TreeMesh mesh = Grown(25.0f, true);
    ASSERT_EQ(mesh.bark.wind.size(), 2 * mesh.bark.vertexCount());
    ASSERT_EQ(mesh.leaves.wind.size(), 2 * mesh.leaves.vertexCount());
    // The trunk's first tube stands on the foot and is part of no limb.
    EXPECT_EQ(Weight(mesh.bark, 0), 0.0f);
    EXPECT_EQ(Phase(mesh.bark, 0), 0.0f);
    float heaviest = 0.0f;
    const size_t tubes = mesh.bark.vertexCount() / TubeVertexCount;
    for (size_t t = 0; t < tubes; ++t) {
        const size_t first = TubeVertexCount * t;
        for (int v = 0; v < TubeVertexCount; v += 2) {
            const float bottom = Weight(mesh.bark, first + v);
            const float top = Weight(mesh.bark, first + v + 1);
            ASSERT_GE(bottom, 0.0f);
            ASSERT_LE(top, 1.0f);
            ASSERT_GE(top, bottom) << "tube " << t;
            ASSERT_EQ(Phase(mesh.bark, first + v), Phase(mesh.bark, first));
            heaviest = std::max(heaviest, top);
        }
    }
    EXPECT_EQ(heaviest, 1.0f);
    // Phases differ between limbs.
    std::vector<float> phases;
    for (size_t v = 0; v < mesh.bark.vertexCount(); v += TubeVertexCount) {
        phases.push_back(Phase(mesh.bark, v));
    }
    std::sort(phases.begin(), phases.end());
    EXPECT_GT(std::unique(phases.begin(), phases.end()) - phases.begin(), 3);
    // A leaf moves as one.
    for (size_t v = 0; v < mesh.leaves.vertexCount(); v += 4) {
        for (size_t c = 1; c < 4; ++c) {
            ASSERT_EQ(mesh.leaves.wind[2 * v], mesh.leaves.wind[2 * (v + c)]);
            ASSERT_EQ(mesh.leaves.wind[2 * v + 1], mesh.leaves.wind[2 * (v + c) + 1]);
        }
    }
}

TEST(TreeWind, ThreadsWriteTheSameWindDataAsOneWalkAndTheLoopCloses) {
    const TreeMesh one = Grown(25.0f, true, 1);
    const TreeMesh many = Grown(25.0f, true, 4);
    EXPECT_EQ(one.bark.wind, many.bark.wind);
    EXPECT_EQ(one.leaves.wind, many.leaves.wind);
    EXPECT_EQ(one.bark.positions, many.bark.positions);
    EXPECT_TRUE(Grown(25.0f, false).bark.wind.empty());

    const WindSway start = WindSwayAt(0.0), end = WindSwayAt(WindPeriodSeconds);
    EXPECT_NEAR(start.x, end.x, 1e-12);
    EXPECT_NEAR(start.z, end.z, 1e-12);
    EXPECT_GT(std::fabs(WindSwayAt(0.5).x), 0.9);
}

TEST(TreeLevels, EachLevelHasAtMostHalfTheTrianglesAndTheLastIsAStarOfQuads) {
    for (const float depth : {19.29f, 25.0f}) {
        const TreeMesh full = Grown(depth, true);
        const std::vector<TreeLevel> levels = LighterLevels(full, MaxTreeLevels);
        ASSERT_EQ(levels.size(), static_cast<size_t>(MaxTreeLevels - 1));
        size_t before = full.bark.triangleCount() + full.leaves.triangleCount();
        const double leafArea = LeafAreas(full.leaves);
        for (size_t k = 0; k + 1 < levels.size(); ++k) {
            const TreeLevel& level = levels[k];
            EXPECT_FALSE(level.impostor);
            EXPECT_LE(level.triangleCount(), before / 2) << "depth " << depth << " level " << k + 1;
            EXPECT_GT(level.triangleCount(), 0u);
            // Leaves are thinned, not shrunk: the crown keeps its leaf area.
            EXPECT_NEAR(LeafAreas(level.mesh.leaves) / leafArea, 1.0, 0.1);
            EXPECT_EQ(level.mesh.leafColours.size(), 4 * level.mesh.leaves.vertexCount());
            EXPECT_EQ(level.mesh.bark.wind.size(), 2 * level.mesh.bark.vertexCount());
            before = level.triangleCount();
        }
        const TreeLevel& impostor = levels.back();
        EXPECT_TRUE(impostor.impostor);
        EXPECT_LE(impostor.triangleCount(), 32u);
        EXPECT_LE(impostor.triangleCount(), before / 2);
        // Every quad stands upright through the axis and holds the whole tree.
        const ImpostorFrame frame = ImpostorFrameOf(full);
        for (size_t v = 0; v < full.leaves.vertexCount(); ++v) {
            const float* p = &full.leaves.positions[3 * v];
            ASSERT_LE(std::hypot(p[0], p[2]), frame.halfWidth);
            ASSERT_LE(p[1], frame.top);
            ASSERT_GE(p[1], frame.bottom);
        }
        // The impostor sways as a whole: still at its foot, fully at its top.
        for (size_t v = 0; v < impostor.quads.vertexCount(); ++v) {
            const float y = impostor.quads.positions[3 * v + 1];
            EXPECT_EQ(Weight(impostor.quads, v), y == frame.top ? 1.0f : 0.0f);
        }
    }
}

// A tube's radius: its bottom ring's farthest corner from the ring's centre.
double TubeRadiusOf(const MeshPart& bark, size_t tube) {
    const float* p = &bark.positions[3 * TubeVertexCount * tube];
    double c[3] = {0, 0, 0}, far = 0;
    for (int k = 0; k < 6; ++k) {
        for (int i = 0; i < 3; ++i) {
            c[i] += p[6 * k + i] / 6.0;
        }
    }
    for (int k = 0; k < 6; ++k) {
        far = std::max(far, std::hypot(p[6 * k] - c[0], p[6 * k + 1] - c[1], p[6 * k + 2] - c[2]));
    }
    return far;
}

TEST(TreeLevels, ThinTubesGoFirstAndNoLeafIsLostFromTheImpostorsPictures) {
    const TreeMesh full = Grown(25.0f, false);
    const std::vector<TreeLevel> levels = LighterLevels(full, 2);
    ASSERT_EQ(levels.size(), 1u);
    const MeshPart& kept = levels[0].mesh.bark;
    ASSERT_LT(kept.vertexCount(), full.bark.vertexCount());
    // The thinnest tube kept is at least as thick as the thickest tube dropped: a tube of
    // the full mesh missing from the level is one of the thin ones.
    const auto radius = TubeRadiusOf;
    double thinnestKept = 1e30;
    for (size_t t = 0; t < kept.vertexCount() / TubeVertexCount; ++t) {
        thinnestKept = std::min<double>(thinnestKept, radius(kept, t));
    }
    // Every tube thicker than that is kept, every thinner one dropped (ties may go either
    // way).
    size_t thinner = 0, thicker = 0;
    for (size_t t = 0; t < full.bark.vertexCount() / TubeVertexCount; ++t) {
        thinner += radius(full.bark, t) < thinnestKept * 0.999;
        thicker += radius(full.bark, t) > thinnestKept * 1.001;
    }
    const size_t keptTubes = kept.vertexCount() / TubeVertexCount;
    EXPECT_LE(thicker, keptTubes);
    EXPECT_LE(thinner, full.bark.vertexCount() / TubeVertexCount - keptTubes);
    EXPECT_GT(thinner, 0u);

    size_t leaves = 0;
    for (int k = 0; k < ImpostorViews; ++k) {
        const TreeMesh slice = ImpostorSlice(full, ImpostorFrameOf(full), k);
        leaves += slice.leaves.vertexCount();
        EXPECT_EQ(slice.leafColours.size(), 4 * slice.leaves.vertexCount());
    }
    EXPECT_GE(leaves, full.leaves.vertexCount());
}

// Every level holds at most half the triangles of the one before, also for a tree with an
// even number of tubes and an odd number of leaves ("Tree Total Depth" 25: 5,636 and
// 4,069), where keeping the odd last leaf made level 1 one leaf too heavy; a chain of
// three or more ends in an impostor of a few quads, and every level keeps its wind data.
TEST(TreeLevels, EachLevelHasAtMostHalfTheTrianglesOfTheOneBefore) {
    for (const float depth : {19.29f, 25.0f}) {
        const TreeMesh full = Grown(depth, true);
        for (int count = 1; count <= MaxTreeLevels; ++count) {
            const std::vector<TreeLevel> levels = LighterLevels(full, count);
            ASSERT_EQ(levels.size(), size_t(count - 1));
            size_t before = full.bark.triangleCount() + full.leaves.triangleCount();
            for (size_t k = 0; k < levels.size(); ++k) {
                const TreeLevel& level = levels[k];
                EXPECT_LE(2 * level.triangleCount(), before)
                    << "depth " << depth << ", level " << k + 1 << " of " << count;
                before = level.triangleCount();
                EXPECT_EQ(level.impostor, count >= 3 && k + 2 == size_t(count));
                for (const MeshPart* part : {&level.mesh.bark, &level.mesh.leaves, &level.quads}) {
                    EXPECT_EQ(part->wind.size(), 2 * part->vertexCount());
                }
                if (level.impostor) {
                    EXPECT_EQ(level.triangleCount(), size_t(2 * ImpostorViews));
                } else {
                    EXPECT_EQ(level.mesh.leafColours.size(), 4 * level.mesh.leaves.vertexCount());
                }
            }
        }
    }
}

} // namespace

// The moving picture's levels, made straight from the full mesh: within 1/2^k of its
// triangles, one leaf in 2^k exactly as it was (no larger), the thickest tubes in drawing
// order, and only the levels asked for.
TEST(TreeLevels, SparseLevelsKeepLeavesAsTheyAreAndTheThickestTubes) {
    const TreeMesh full = Grown(25.0f, false);
    const size_t fullTubes = full.bark.vertexCount() / TubeVertexCount;
    const size_t fullLeaves = full.leaves.vertexCount() / 4;
    const size_t total = 12 * fullTubes + 2 * fullLeaves;
    const std::vector<TreeLevel> levels =
        SparseLevels(full, 7, [](int level, size_t) { return level != 2; });
    ASSERT_EQ(levels.size(), 7u);
    EXPECT_EQ(levels[1].mesh.bark.vertexCount() + levels[1].mesh.leaves.vertexCount(), 0u);
    for (int k : {1, 3, 7}) {
        const TreeMesh& level = levels[static_cast<size_t>(k) - 1].mesh;
        const size_t tubes = level.bark.vertexCount() / TubeVertexCount;
        const size_t leaves = level.leaves.vertexCount() / 4;
        EXPECT_LE(12 * tubes + 2 * leaves, total >> k) << k;
        EXPECT_GT(tubes, 0u) << k;
        ASSERT_EQ(leaves, fullLeaves >> k) << k;
        ASSERT_EQ(level.leafColours.size(), 4 * level.leaves.vertexCount());
        for (size_t l = 0; l < leaves; ++l) {
            const size_t from = l << k;
            ASSERT_TRUE(std::equal(&level.leaves.positions[12 * l],
                                   &level.leaves.positions[12 * l + 12],
                                   &full.leaves.positions[12 * from]))
                << "level " << k << " leaf " << l;
        }
        // Each kept tube is a tube of the full mesh, found in drawing order, and none
        // dropped is thicker than the thinnest kept.
        size_t at = 0;
        double thinnestKept = 1e30, thickestDropped = 0.0;
        for (size_t t = 0; t < tubes; ++t) {
            const float* p = &level.bark.positions[3 * TubeVertexCount * t];
            while (at < fullTubes && !std::equal(p, p + 3 * TubeVertexCount,
                                                 &full.bark.positions[3 * TubeVertexCount * at])) {
                thickestDropped = std::max(thickestDropped, TubeRadiusOf(full.bark, at));
                ++at;
            }
            ASSERT_LT(at, fullTubes) << "level " << k << " tube " << t << " not in order";
            thinnestKept = std::min(thinnestKept, TubeRadiusOf(full.bark, at));
            ++at;
        }
        for (; at < fullTubes; ++at) {
            thickestDropped = std::max(thickestDropped, TubeRadiusOf(full.bark, at));
        }
        EXPECT_LE(thickestDropped, thinnestKept * 1.0001) << k;
        EXPECT_EQ(level.passStats.quadrangles * 2, static_cast<int32_t>(12 * tubes + 2 * leaves));
    }
}

// A build that leaves out what the levels from 3 on do not need (the leaves between every
// fourth, tubes thinner than half the thinnest kept) gives those levels exactly as the
// whole build does, and counts the whole tree.
TEST(TreeLevels, ABuildLeavingOutWhatLevelsDoNotNeedGivesTheSameLevels) {
    TreeParams params;
    params.totalDepth = 25.0f;
    TreeSession session(params, 7);
    session.Regrow();
    const TreeMeshLayout layout = MeasureTreeMesh(session.model());
    TreeMesh whole;
    BuildTreeMeshOver(session.model(), session.params(), layout, whole);
    const auto fromThree = [](int level, size_t) { return level >= 3; };
    float thinnest = 0.0f;
    const std::vector<TreeLevel> expected = SparseLevels(whole, 7, fromThree, &thinnest);
    ASSERT_GT(thinnest, 0.0f);

    TreeMesh sparse; // built over storage that held something else
    sparse.leaves.positions.assign(whole.leaves.positions.size(), 7.0f);
    MeshDestination leaveOut;
    leaveOut.thinnerThan = 0.5f * thinnest;
    leaveOut.leafStep = 4;
    BuildTreeMeshOver(session.model(), session.params(), layout, sparse, 0, false, leaveOut);
    EXPECT_EQ(sparse.passStats.quadrangles, whole.passStats.quadrangles);
    // Some tubes were left out, not all.
    const ptrdiff_t zeros =
        std::count(sparse.bark.positions.begin(), sparse.bark.positions.end(), 0.0f);
    EXPECT_GT(zeros, static_cast<ptrdiff_t>(sparse.bark.positions.size() / 10));
    EXPECT_LT(zeros, static_cast<ptrdiff_t>(sparse.bark.positions.size()));
    const std::vector<TreeLevel> got = SparseLevels(sparse, 7, fromThree);
    // With the wind's data, over storage whose wind values are far larger than any path:
    // the weights kept are those of the whole build.
    TreeMesh windWhole;
    BuildTreeMeshOver(session.model(), session.params(), layout, windWhole, 0, true);
    TreeMesh windSparse;
    windSparse.bark.wind.assign(windWhole.bark.wind.size(), 1e9f);
    windSparse.leaves.wind.assign(windWhole.leaves.wind.size(), 1e9f);
    BuildTreeMeshOver(session.model(), session.params(), layout, windSparse, 0, true, leaveOut);
    EXPECT_EQ(SparseLevels(windSparse, 7, fromThree)[4].mesh.bark.wind,
              SparseLevels(windWhole, 7, fromThree)[4].mesh.bark.wind);
    for (size_t k = 2; k < 7; ++k) {
        EXPECT_EQ(got[k].mesh.bark.positions, expected[k].mesh.bark.positions) << k + 1;
        EXPECT_EQ(got[k].mesh.bark.normals, expected[k].mesh.bark.normals) << k + 1;
        EXPECT_EQ(got[k].mesh.leaves.positions, expected[k].mesh.leaves.positions) << k + 1;
        EXPECT_EQ(got[k].mesh.leafColours, expected[k].mesh.leafColours) << k + 1;
    }
}
