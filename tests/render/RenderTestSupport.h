#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "GlTestContext.h"
#include "ModelRecords.h"
#include "TestPlatform.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"

// A 4 x 4 matrix in OpenGL's column-major order, in double precision, for working out
// where the drawing code should have put things.
struct Mat4 {
    std::array<double, 16> m{};

    static Mat4 Identity();
    static Mat4 Rotation(double degrees, double x, double y, double z); // as glRotate
    static Mat4 Translation(double x, double y, double z);
    static Mat4 Scaling(double x, double y, double z);
    static Mat4 FromGl(GLenum which); // GL_MODELVIEW_MATRIX or GL_PROJECTION_MATRIX

    Mat4 operator*(const Mat4& o) const;
    std::array<double, 3> Apply(double x, double y, double z) const;
};

// One vertex as the feedback buffer reports it, mapped back to the coordinates it had
// after the model-view matrix (eye space).
struct FeedbackVertex {
    std::array<double, 3> pos;
    std::array<float, 4> color;
    std::array<float, 2> tex;
};
using FeedbackPolygon = std::vector<FeedbackVertex>;

// Runs `draw` in feedback mode and returns the polygons it produced. The projection is
// a large orthographic box seen from an oblique direction, so that nothing is clipped
// and no axis plane is seen edge-on; it is restored afterwards.
std::vector<FeedbackPolygon> CaptureFeedback(const std::function<void()>& draw);
// All vertices of the polygons, in drawing order.
std::vector<FeedbackVertex> Vertices(const std::vector<FeedbackPolygon>& polygons);

// The state the viewer sets up once when its context is created.
void SetViewerInitialState();

// A leaf with fixed factors.
std::unique_ptr<Leaf> MakeLeaf(float size, float jitter, float angle = 0.0f, float twist = 0.0f);

// A test with a real OpenGL context (and so a fresh drawing state) in the viewer's
// initial state, made-up bark and leaf pictures, and parameters of its own to draw with
// (the defaults).
struct RenderTest : ::testing::Test {
    RenderTest();

    GlTestContext gl;
    TestPlatform platform;
    TreeParams params;
};
