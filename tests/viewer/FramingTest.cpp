#include <gtest/gtest.h>

#include "mesh/TreeMesh.h"
#include "model/Presets.h"
#include "model/TreeSession.h"
#include "viewer/Framing.h"

namespace {

TreeBox GrownBox(const TreeParams& params) {
    TreeSession session(params, 7);
    session.Regrow();
    return MeshBox(BuildTreeMesh(session.model(), session.params(), false));
}

// Every preset, seen from several directions in windows of several shapes, fits whole
// with its shadow, and no farther back than it needs: at 80 % of the view it would not.
TEST(FramingTest, EveryPresetFitsWholeAndTightFromEveryDirection) {
    for (const Preset& preset : BuiltInPresets()) {
        const TreeBox box = GrownBox(preset.params);
        ASSERT_GT(box.max[1], 10.0f) << preset.name;
        for (const float azimuth : {0.0f, 90.0f, 19346.0f}) {
            for (const double aspect : {350.0 / 540.0, 1.0, 0.4}) {
                Camera from;
                from.azimuth = azimuth;
                const Camera framed = FrameTree(box, preset.params.shadowLength, from, aspect);
                EXPECT_TRUE(TreeInView(box, preset.params.shadowLength, framed, aspect, 0.95))
                    << preset.name << " " << azimuth << " " << aspect;
                EXPECT_FALSE(TreeInView(box, preset.params.shadowLength, framed, aspect, 0.8))
                    << preset.name << " " << azimuth << " " << aspect;
                EXPECT_EQ(framed.azimuth, from.azimuth);
                EXPECT_GE(framed.elevation, -10.0f);
                EXPECT_LE(framed.elevation, 30.0f);
                EXPECT_TRUE(CameraYInRange(framed.y) && CameraZInRange(framed.z));
            }
        }
    }
}

// The start-up view cuts a tall preset off; framing brings it back.
TEST(FramingTest, TheStartViewCutsTheSlenderColumnOffAndFramingShowsIt) {
    const Preset* column = FindPreset("Slender Column");
    ASSERT_NE(column, nullptr);
    const TreeBox box = GrownBox(column->params);
    const Camera start;
    EXPECT_FALSE(TreeInView(box, column->params.shadowLength, start, 350.0 / 540.0));
    const Camera framed = FrameTree(box, column->params.shadowLength, start, 350.0 / 540.0);
    EXPECT_TRUE(TreeInView(box, column->params.shadowLength, framed, 350.0 / 540.0));
}

// A box too large for the flight's range gets the farthest view, still a valid camera.
TEST(FramingTest, ATreeTooLargeGetsTheFarthestView) {
    TreeBox huge;
    huge.min[0] = huge.min[2] = -5000.0f;
    huge.max[0] = huge.max[2] = 5000.0f;
    huge.max[1] = 9000.0f;
    const Camera framed = FrameTree(huge, 5.0f, Camera{}, 1.0);
    EXPECT_EQ(framed.z, -130.0f);
    EXPECT_TRUE(CameraYInRange(framed.y));
}

} // namespace
