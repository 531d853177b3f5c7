#include <cmath>

#include <gtest/gtest.h>

#include "scene/KeyCodes.h"
#include "viewer/Navigation.h"

TEST(Navigation, ForwardFlightFromTheDefaultsStopsEachOffsetAtItsLimit) {
    Camera camera;
    int zTicks = 0, yTicks = 0;
    for (int tick = 1; tick <= 2000; ++tick) {
        const Camera before = camera;
        MoveStep(camera, MoveMode::Forward);
        if (camera.z != before.z) {
            zTicks = tick;
        }
        if (camera.y != before.y) {
            yTicks = tick;
        }
    }
    EXPECT_EQ(zTicks, 12);
    EXPECT_NEAR(camera.z, -3.3159f, 1e-3f);
    EXPECT_EQ(yTicks, 694);
    EXPECT_NEAR(camera.y, -59.9916f, 1e-3f);
}

TEST(Navigation, LevelFlightChangesOnlyTheDepth) {
    Camera camera;
    camera.elevation = 0.0f;
    const float y = camera.y;
    MoveStep(camera, MoveMode::Forward);
    EXPECT_EQ(camera.y, y);
    EXPECT_NEAR(camera.z, -8.04298f + 0.4f, 1e-5f);
    for (int i = 0; i < 100; ++i) {
        MoveStep(camera, MoveMode::Forward);
    }
    EXPECT_NEAR(camera.z, -3.2430f, 1e-3f);
}

TEST(Navigation, BackwardFlightRetreatsAndRespectsTheFarLimit) {
    Camera camera;
    camera.elevation = 0.0f;
    MoveStep(camera, MoveMode::Backward);
    EXPECT_NEAR(camera.z, -8.04298f - 0.4f, 1e-5f);
    for (int i = 0; i < 1000; ++i) {
        MoveStep(camera, MoveMode::Backward);
    }
    EXPECT_GE(camera.z, -130.0f);
    EXPECT_LT(camera.z, -129.5f);
    // An offset outside its range (possible only from the file) stays where it is.
    camera.z = -500.0f;
    MoveStep(camera, MoveMode::Forward);
    EXPECT_EQ(camera.z, -500.0f);
}

TEST(Navigation, ArrowStepsTurnAndTiltWithoutLimits) {
    Camera camera;
    EXPECT_TRUE(ArrowStep(camera, KeyLeft));
    EXPECT_EQ(camera.azimuth, 19342.0f);
    EXPECT_TRUE(ArrowStep(camera, KeyRight));
    EXPECT_TRUE(ArrowStep(camera, KeyRight));
    EXPECT_EQ(camera.azimuth, 19350.0f);
    EXPECT_TRUE(ArrowStep(camera, KeyUp));
    EXPECT_EQ(camera.elevation, -12.0f);
    for (int i = 0; i < 60; ++i) {
        ArrowStep(camera, KeyUp); // past -90 and beyond
    }
    EXPECT_EQ(camera.elevation, -132.0f);
    EXPECT_TRUE(ArrowStep(camera, KeyDown));
    EXPECT_EQ(camera.elevation, -130.0f);
    const Camera before = camera;
    EXPECT_FALSE(ArrowStep(camera, 'A'));
    EXPECT_EQ(camera.azimuth, before.azimuth);
    SpinStep(camera);
    EXPECT_EQ(camera.azimuth, before.azimuth + 0.5f);
}
