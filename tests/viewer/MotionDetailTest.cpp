// Which level a frame draws: the full tree unless a slow tree's view moves.
#include <gtest/gtest.h>

#include "viewer/MotionDetail.h"

namespace {

// A tree of 1,000,000 triangles with levels halving down to 1/32.
MotionDetail SlowTree(double fullMs, bool enabled = true) {
    MotionDetail detail(enabled);
    detail.NewTree(7);
    detail.FrameDrawn(0, fullMs);
    detail.SetTriangles(1000000, {500000, 250000, 125000, 62500, 31250});
    return detail;
}

TEST(MotionDetail, OnlyASlowTreeWhileMovingIsDrawnLighter) {
    // Within the budget: never lighter, moving or not.
    EXPECT_EQ(SlowTree(40.0).LevelFor(true), 0);
    // Over it: the full tree while still, and when switched off.
    EXPECT_EQ(SlowTree(800.0).LevelFor(false), 0);
    EXPECT_EQ(SlowTree(800.0, false).LevelFor(true), 0);
    // A new tree of unknown cost is drawn whole until its time is known.
    MotionDetail fresh = SlowTree(800.0);
    fresh.NewTree(8);
    EXPECT_EQ(fresh.LevelFor(true), 0);
}

TEST(MotionDetail, TheMostDetailedLevelThatFitsAsMeasured) {
    MotionDetail detail = SlowTree(800.0);
    // Estimated by triangles: 800/16 = 50 fits, 800/8 = 100 does not.
    EXPECT_EQ(detail.LevelFor(true), 4);
    // Measured slower than its estimate (the frame's fixed costs): the next one lighter.
    detail.FrameDrawn(4, 64.0);
    EXPECT_EQ(detail.LevelFor(true), 5);
    // Measured faster: a more detailed level that fits is taken again.
    detail.FrameDrawn(3, 45.0);
    EXPECT_EQ(detail.LevelFor(true), 3);
    // Nothing fits: the lightest.
    MotionDetail heavy = SlowTree(100000.0);
    EXPECT_EQ(heavy.LevelFor(true), 5);
}

// Every slider move grows a new tree: a level measured slower than its share on the trees
// before is expected so on the next one, before it is drawn.
TEST(MotionDetail, ALevelsMeasuredCostCarriesOverToTheNextTree) {
    MotionDetail detail = SlowTree(800.0);
    EXPECT_EQ(detail.LevelFor(true), 4);
    detail.FrameDrawn(4, 100.0); // twice its estimate of 50
    detail.NewTree(9);
    detail.FrameDrawn(0, 800.0);
    detail.SetTriangles(1000000, {500000, 250000, 125000, 62500, 31250});
    EXPECT_DOUBLE_EQ(detail.EstimateMs(4, 62500, 1000000), 100.0);
    EXPECT_EQ(detail.LevelFor(true), 5);
    // The full tree's time unknown: nothing to estimate from.
    detail.NewTree(10);
    EXPECT_LT(detail.EstimateMs(4, 62500, 1000000), 0.0);
}

} // namespace
