#include "viewer/Framing.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "mesh/TreeMesh.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"

namespace {

// The frame's fixed geometry: the frustum's half extents at distance 1, the camera's
// uniform scale and the vertical stretch of the tree and its shadow.
constexpr double HalfWidth = 0.6;
constexpr double HalfHeight = 1.0;
constexpr double SceneScale = 0.3;
constexpr double Stretch = 1.6666666;
constexpr double DegToRadD = 3.14159265358979323846 / 180.0;
// How much of the view the framed tree may take.
constexpr double FrameMargin = 0.9;

struct Point {
    double x, y, z;
};

// The corners of the tree's box turned by the azimuth and stretched, and their shadow
// (flattened onto the ground at x = -length * height, turned the other way), in the frame
// the camera's offsets apply to.
std::array<Point, 16> ScenePoints(const TreeBox& box, float shadowLength, float azimuth) {
    const double a = azimuth * DegToRadD;
    const double c = std::cos(a), s = std::sin(a);
    std::array<Point, 16> points{};
    for (int i = 0; i < 8; ++i) {
        const double x = (i & 1) ? box.max[0] : box.min[0];
        const double y = (i & 2) ? box.max[1] : box.min[1];
        const double z = (i & 4) ? box.max[2] : box.min[2];
        points[i] = {x * c + z * s, y * Stretch, -x * s + z * c};
        points[8 + i] = {-double(shadowLength) * y, 0.0, x * s + z * c};
    }
    return points;
}

// One point seen by a camera at offsets (y, z): eye coordinates.
Point Eye(const Point& q, double aspect, double elevation, double y, double z) {
    const double wx = SceneScale * aspect * q.x;
    const double wy = SceneScale * q.y + y;
    const double wz = SceneScale * q.z + z;
    const double c = std::cos(elevation), s = std::sin(elevation);
    return {wx, wy * c - wz * s, wy * s + wz * c};
}

} // namespace

TreeBox MeshBox(const TreeMesh& mesh) {
    TreeBox box;
    bool first = true;
    for (const MeshPart* part : {&mesh.bark, &mesh.leaves}) {
        for (size_t i = 0; i + 2 < part->positions.size(); i += 3) {
            for (int k = 0; k < 3; ++k) {
                const float v = part->positions[i + k];
                box.min[k] = first ? v : std::min(box.min[k], v);
                box.max[k] = first ? v : std::max(box.max[k], v);
            }
            first = false;
        }
    }
    return box;
}

bool TreeInView(const TreeBox& box, float shadowLength, const Camera& camera, double aspect,
                double margin) {
    const double elevation = camera.elevation * DegToRadD;
    for (const Point& q : ScenePoints(box, shadowLength, camera.azimuth)) {
        const Point e = Eye(q, aspect, elevation, camera.y, camera.z);
        const double depth = -e.z;
        if (depth < 1.0 || std::abs(e.x) > HalfWidth * margin * depth ||
            std::abs(e.y) > HalfHeight * margin * depth) {
            return false;
        }
    }
    return true;
}

namespace {

struct Fit {
    bool found = false;
    double y = 0.0;
    double z = 0.0;
};

// The nearest eye distance at which every point fits, seen at `elevation` (radians), with
// the middle of the eye heights that fit there. Every condition on a point is linear in
// the offset y: a * y + b <= 0.
Fit NearestFit(const std::array<Point, 16>& points, double aspect, double elevation) {
    const double c = std::cos(elevation), s = std::sin(elevation);
    const double h = HalfHeight * FrameMargin, w = HalfWidth * FrameMargin;
    // Within the flight's open ranges, a little inside them.
    constexpr double LowestY = -59.9, HighestY = -1.6;
    constexpr double NearestZ = -3.25, FarthestZ = -130.0, ZStep = 0.05;
    for (double z = NearestZ; z >= FarthestZ; z -= ZStep) {
        double low = LowestY, high = HighestY;
        bool possible = true;
        auto keep = [&](double a, double b) {
            if (a > 0.0) {
                high = std::min(high, -b / a);
            } else if (a < 0.0) {
                low = std::max(low, -b / a);
            } else if (b > 0.0) {
                possible = false;
            }
        };
        for (const Point& q : points) {
            // Eye coordinates: e.y = c * y + ey0, depth = -e.z = -s * y + depth0.
            const double py = SceneScale * q.y, pz = SceneScale * q.z + z;
            const double ey0 = py * c - pz * s, depth0 = -(py * s + pz * c);
            const double ex = std::abs(SceneScale * aspect * q.x);
            keep(s, 1.0 - depth0);               // depth >= 1 (the near plane)
            keep(c + h * s, ey0 - h * depth0);   // e.y <= h * depth
            keep(-c + h * s, -ey0 - h * depth0); // -e.y <= h * depth
            keep(w * s, ex - w * depth0);        // |e.x| <= w * depth
        }
        if (possible && low <= high) {
            return {true, (low + high) / 2.0, z};
        }
    }
    return {};
}

} // namespace

Camera FrameTree(const TreeBox& box, float shadowLength, const Camera& from, double aspect) {
    const std::array<Point, 16> points = ScenePoints(box, shadowLength, from.azimuth);
    // The eye's height is bounded, so the tilt of the view decides how near it can come:
    // the nearest fit over the tilts from a little upwards to well downwards, the one
    // closest to the present tilt among equally near ones.
    Camera framed = from;
    framed.y = -30.0f;
    framed.z = -130.0f;
    double bestZ = -1e9, bestTurn = 1e9;
    for (int degrees = -10; degrees <= 30; ++degrees) {
        const Fit fit = NearestFit(points, aspect, degrees * DegToRadD);
        const double turn = std::abs(WrapDegrees(from.elevation - degrees, -180.0f));
        if (fit.found &&
            (fit.z > bestZ + 1e-9 || (std::abs(fit.z - bestZ) <= 1e-9 && turn < bestTurn))) {
            bestZ = fit.z;
            bestTurn = turn;
            framed.elevation = static_cast<float>(degrees);
            framed.y = static_cast<float>(fit.y);
            framed.z = static_cast<float>(fit.z);
        }
    }
    return framed;
}

Camera FrameTree(const TreeModel& model, const TreeParams& params, const Camera& from,
                 double aspect) {
    return FrameTree(MeshBox(BuildTreeMesh(model, params, false)), params.shadowLength, from,
                     aspect);
}
