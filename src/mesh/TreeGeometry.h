#pragma once

#include <array>
#include <cstdint>

#include "model/TreeModel.h"

// The local geometry of the two things a tree is drawn from, a tube and a leaf, shared by
// the immediate drawing and the mesh so that both emit exactly the same vertices.

// One corner of the hexagonal cross-section: which stored half-width gives its x (with
// its sign), the sign of its z (times hexHeight; 0 for the two corners on the x axis) and
// the texture s-coordinate it carries.
struct RingStep {
    enum Width { HalfRadius, Radius } xWidth;
    float xSign;
    float zSign;
    float s;
};

// The ring's corners in drawing order, at 60, 120, ..., 360 degrees from +x towards +z;
// the seventh repeats the first with s = 1 so that the bark wraps once around the tube.
inline constexpr int RingStepCount = 7;
inline constexpr RingStep RingSteps[RingStepCount] = {
    {RingStep::HalfRadius, 1.0f, 1.0f, 0.0f},
    {RingStep::HalfRadius, -1.0f, 1.0f, 0.16666667f},
    {RingStep::Radius, -1.0f, 0.0f, 0.33333334f},
    {RingStep::HalfRadius, -1.0f, -1.0f, 0.5f},
    {RingStep::HalfRadius, 1.0f, -1.0f, 0.6666667f},
    {RingStep::Radius, 1.0f, 0.0f, 0.8333333f},
    {RingStep::HalfRadius, 1.0f, 1.0f, 1.0f},
};

// The vertices of one tube, in the order the quad strip emits them: for each ring step a
// bottom vertex, then a top vertex.
inline constexpr int TubeVertexCount = 2 * RingStepCount;

// The tube's twelve triangles, as vertex numbers within the tube. Face k of the strip is
// bottom b, top t, next top t2, next bottom b2; it is split along b-t2, the diagonal the
// driver takes for the strip (so the triangles shade exactly as the strip, clipped or
// not), into two triangles that turn counter-clockwise seen from outside.
inline constexpr int TubeTriangleIndexCount = 36;
inline constexpr std::array<uint8_t, TubeTriangleIndexCount> TubeTriangles = [] {
    std::array<uint8_t, TubeTriangleIndexCount> out{};
    for (int k = 0; k < RingStepCount - 1; ++k) {
        const int b = 2 * k, t = b + 1, b2 = b + 2, t2 = b + 3;
        const int face[6] = {b, t2, b2, b, t, t2};
        for (int i = 0; i < 6; ++i) {
            out[6 * k + i] = static_cast<uint8_t>(face[i]);
        }
    }
    return out;
}();

// The corner (x, z) of `step` on the ring of `segment`. The stored half-widths are used
// as they are; a negated value is the stored one with its sign flipped.
std::array<float, 2> RingCorner(const RingStep& step, const Segment& segment);

// The top-ring corner (a, 0, b) of `segment`, expressed in the frame at the segment's
// bottom: the point (a, L, b) turned by the segment's expand angle about the axis
// (sin twist, 0, cos twist). Formed in double precision, returned as floats.
std::array<float, 3> TopRingVertex(const Segment& segment, float a, float b);

// One corner of the leaf quad in the leaf's own frame: a unit square in the x-y plane,
// its base edge centred on the origin, its tip along +y. The normals lean outward from
// the centre with +z as their common part and are not normalised (length sqrt 3).
struct LeafCorner {
    float normal[3];
    float tex[2];
    float position[3];
};

inline constexpr LeafCorner LeafQuad[4] = {
    {{1.0f, -1.0f, 1.0f}, {1.0f, 0.0f}, {0.5f, 0.0f, 0.0f}},
    {{1.0f, 1.0f, 1.0f}, {1.0f, 1.0f}, {0.5f, 1.0f, 0.0f}},
    {{-1.0f, 1.0f, 1.0f}, {0.0f, 1.0f}, {-0.5f, 1.0f, 0.0f}},
    {{-1.0f, -1.0f, 1.0f}, {0.0f, 0.0f}, {-0.5f, 0.0f, 0.0f}},
};

// The leaf material's ambient colour for a leaf of the given random factor: larger
// leaves come out redder, smaller ones greener.
std::array<float, 4> LeafAmbient(float jitter);

// The uniform scale a leaf is drawn at: its size times its random factor.
inline float LeafScale(const Leaf& leaf) {
    return leaf.size * leaf.jitter;
}
