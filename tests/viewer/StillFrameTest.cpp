// A still picture drawn without a window at a sway time of the wind.
#include <gtest/gtest.h>

#include "mesh/TreeWind.h"
#include "model/TreeSession.h"
#include "viewer/StillFrame.h"

TEST(StillFrameTest, DrawsTheTreeAtTheSwayTimeItIsGiven) {
    TreeSession session(TreeParams{}, 4);
    session.Regrow();
    StillFrame frame;
    frame.model = &session.model();
    auto draw = [&](std::optional<double> windSeconds) {
        frame.windSeconds = windSeconds;
        std::vector<uint8_t> rgba;
        EXPECT_TRUE(RenderStillFrame(frame, rgba));
        return rgba;
    };
    const auto still = draw(std::nullopt);
    EXPECT_NE(draw(0.5), still);
    EXPECT_EQ(draw(WindPeriodSeconds), still);
}
