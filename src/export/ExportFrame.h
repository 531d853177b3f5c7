#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "model/TreeParams.h"

// How the tree's geometry is placed in an exported file, shared by every format: the
// tree's own frame (the trunk's foot at the origin, +y up, right-handed) scaled to
// metres, with unit normals.

// Metres per length unit of the tree's structure (the first trunk segment of the default
// tree is 16 units long): the default tree, 41.0 units from the trunk's foot to its
// highest leaf, stands 10.25 m tall.
inline constexpr double MetresPerTreeUnit = 0.25;

inline void PositionInMetres(const float* p, float out[3]) {
    for (int i = 0; i < 3; ++i) {
        out[i] = static_cast<float>(p[i] * MetresPerTreeUnit);
    }
}

// The mesh keeps its normals as long as the lighting needs them; files want unit length.
// A normal of no length (a branch thinned to nothing) points up.
inline void UnitNormal(const float* n, float out[3]) {
    const double x = n[0], y = n[1], z = n[2];
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0) || !std::isfinite(length)) {
        out[0] = 0.0f;
        out[1] = 1.0f;
        out[2] = 0.0f;
        return;
    }
    out[0] = static_cast<float>(x / length);
    out[1] = static_cast<float>(y / length);
    out[2] = static_cast<float>(z / length);
}

// A leaf's tint as a vertex colour: the leaf material's ambient colour of that leaf
// (larger leaves redder, smaller ones greener) brightened so that the reddest and the
// greenest possible leaf reach 1 in their channel; blue and alpha are 1.
inline void LeafTint(const float* ambient, float out[4]) {
    out[0] = static_cast<float>(ambient[0] / 0.495);
    out[1] = static_cast<float>(ambient[1] / 0.577);
    out[2] = 1.0f;
    out[3] = 1.0f;
}

// Reports how far an export is, from 0 to 1; may be empty.
using ExportProgress = std::function<void(double fraction)>;

// What an exported file records about the tree it holds, so it can be grown again.
struct ExportInfo {
    uint32_t seed = 0;
    std::array<float, ParamCount> parameters{}; // in the parameter table's row order
};

// What a file records of a tree grown from `params` and `seed`.
ExportInfo ExportInfoOf(const TreeParams& params, uint32_t seed);

// The program's name and version as files record them ("Dendrova 0.1").
std::string GeneratorName();
