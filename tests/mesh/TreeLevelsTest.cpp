// The lighter levels of a tree: what an exported chain promises its readers.
#include <gtest/gtest.h>

#include "mesh/TreeLevels.h"
#include "model/TreeSession.h"

namespace {

TreeMesh FullMesh(float depth, bool wind) {
    TreeParams params;
    params.totalDepth = depth;
    TreeSession session(params, 1);
    session.Regrow();
    return BuildTreeMesh(session.model(), session.params(), true, 0, wind);
}

} // namespace

// Every level holds at most half the triangles of the one before, also for a tree with an
// even number of tubes and an odd number of leaves ("Tree Total Depth" 25: 5,636 and
// 4,069), where keeping the odd last leaf made level 1 one leaf too heavy; a chain of
// three or more ends in an impostor of a few quads, and every level keeps its wind data.
TEST(TreeLevels, EachLevelHasAtMostHalfTheTrianglesOfTheOneBefore) {
    for (const float depth : {19.29f, 25.0f}) {
        const TreeMesh full = FullMesh(depth, true);
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
