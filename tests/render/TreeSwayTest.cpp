// The wind's sway of the cached mesh, vertex by vertex as OpenGL receives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "RenderTestSupport.h"
#include "mesh/TreeWind.h"
#include "model/TreeSession.h"
#include "render/GlContextState.h"
#include "render/TreeDrawing.h"

// In every draw mode, each vertex moves along the sway of the moment by its weight (0 at
// the trunk's foot, 1 at the farthest tip) times the amplitude of the tree's height, and
// only horizontally; the shadow with it.
TEST_F(RenderTest, EveryVertexSwaysHorizontallyByItsWeight) {
    TreeSession session(params, 3);
    session.Regrow();
    const TreeModel& model = session.model();
    const double seconds = 0.25; // along x and along z at once
    const WindSway sway = WindSwayAt(seconds);
    for (TreeDrawMode mode :
         {TreeDrawMode::Buffers, TreeDrawMode::VertexArrays, TreeDrawMode::Immediate}) {
        SCOPED_TRACE(static_cast<int>(mode));
        gl.state().drawMode = mode;
        // At sway time 0 the swaying mesh is at rest, drawn in the same order.
        auto draw = [&](double at) {
            return Vertices(CaptureFeedback([&] { DrawTree(model, params, gl.state(), at); }));
        };
        const auto rest = draw(0.0);
        const auto swayed = draw(seconds);
        ASSERT_EQ(rest.size(), swayed.size());
        ASSERT_GT(rest.size(), 1000u);
        double height = 0.0;
        for (const FeedbackVertex& v : rest) {
            height = std::max(height, v.pos[1]);
        }
        const double amplitude = WindAmplitude(height);
        size_t across = 0, outOfRange = 0, footMoved = 0, feet = 0;
        double heaviest = 0.0;
        for (size_t i = 0; i < rest.size(); ++i) {
            const auto& a = rest[i].pos;
            const auto& b = swayed[i].pos;
            const double weight = (b[0] - a[0]) / (amplitude * sway.x);
            across += std::abs(b[1] - a[1]) > 1e-3 ||
                      std::abs(b[2] - a[2] - weight * amplitude * sway.z) > 1e-3;
            outOfRange += weight < -1e-3 || weight > 1.0 + 1e-3;
            heaviest = std::max(heaviest, weight);
            if (std::abs(a[1]) < 1e-4) {
                ++feet;
                footMoved += std::abs(b[0] - a[0]) + std::abs(b[2] - a[2]) > 1e-4;
            }
        }
        EXPECT_EQ(across, 0u);
        EXPECT_EQ(outOfRange, 0u);
        EXPECT_NEAR(heaviest, 1.0, 1e-3); // the farthest tip moves by the whole amplitude
        EXPECT_GT(feet, 0u);
        EXPECT_EQ(footMoved, 0u);

        // The shadow, drawn first, flattens the swayed tree: it keeps the sway along z.
        const auto shadow = [&](double at) {
            return Vertices(
                CaptureFeedback([&] { DrawTreeShadow(model, params, 0.0f, gl.state(), at); }));
        };
        const auto shadowRest = shadow(0.0), shadowSwayed = shadow(seconds);
        ASSERT_EQ(shadowRest.size(), shadowSwayed.size());
        double shadowMoved = 0.0;
        for (size_t i = 0; i < shadowRest.size(); ++i) {
            shadowMoved = std::max(shadowMoved, shadowSwayed[i].pos[2] - shadowRest[i].pos[2]);
        }
        EXPECT_NEAR(shadowMoved, amplitude * sway.z, 1e-3);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}
