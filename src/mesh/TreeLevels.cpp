#include "mesh/TreeLevels.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <numeric>

#include "mesh/TreeGeometry.h"

namespace {

constexpr size_t LeafVertices = 4;

// How far from a quad's plane, in degrees about the trunk's axis, a leaf or tube may lie
// to be shown in its picture: a little more than the quads' spacing (180 / 16 = 11.25),
// so a part halfway between two quads shows in both and does not thin out from sides
// where one of them is seen edge on. Measured on the outlines: 6 degrees leaves the crown
// too sparse, 20 or more too full.
constexpr double SliceSpread = 12.0;

// The radius of tube `tube` of `bark`: the farthest corner of its bottom ring from the
// ring's centre.
float TubeRadius(const MeshPart& bark, size_t tube) {
    const float* p = &bark.positions[3 * TubeVertexCount * tube];
    double centre[3] = {0.0, 0.0, 0.0};
    constexpr int Corners = RingStepCount - 1; // the last step repeats the first
    for (int c = 0; c < Corners; ++c) {
        for (int i = 0; i < 3; ++i) {
            centre[i] += p[6 * c + i] / Corners;
        }
    }
    double farthest = 0.0;
    for (int c = 0; c < Corners; ++c) {
        double d = 0.0;
        for (int i = 0; i < 3; ++i) {
            d += (p[6 * c + i] - centre[i]) * (p[6 * c + i] - centre[i]);
        }
        farthest = std::max(farthest, d);
    }
    return static_cast<float>(std::sqrt(farthest));
}

// Appends vertices first .. first+count of `from` to `to`.
void CopyVertices(const MeshPart& from, size_t first, size_t count, MeshPart& to) {
    const auto append = [&](const std::vector<float>& src, std::vector<float>& dst, size_t width) {
        if (src.empty()) {
            return;
        }
        dst.insert(dst.end(), src.begin() + static_cast<ptrdiff_t>(width * first),
                   src.begin() + static_cast<ptrdiff_t>(width * (first + count)));
    };
    append(from.positions, to.positions, 3);
    append(from.normals, to.normals, 3);
    append(from.texCoords, to.texCoords, 2);
    append(from.wind, to.wind, 2);
}

// Indices in the fixed layout: every tube's triangles, every leaf's two.
void IndexTubes(MeshPart& bark) {
    bark.indices.clear();
    for (uint32_t base = 0; base < bark.vertexCount(); base += TubeVertexCount) {
        for (const uint8_t i : TubeTriangles) {
            bark.indices.push_back(base + i);
        }
    }
}
void IndexQuads(MeshPart& part) {
    part.indices.clear();
    for (uint32_t base = 0; base < part.vertexCount(); base += LeafVertices) {
        for (const uint32_t i : {base, base + 1, base + 2, base, base + 2, base + 3}) {
            part.indices.push_back(i);
        }
    }
}

// The thickest `kept` tubes of `bark` (ties kept in drawing order), in drawing order.
MeshPart ThickestTubes(const MeshPart& bark, size_t kept) {
    const size_t tubes = bark.vertexCount() / TubeVertexCount;
    std::vector<float> radius(tubes);
    for (size_t t = 0; t < tubes; ++t) {
        radius[t] = TubeRadius(bark, t);
    }
    std::vector<size_t> order(tubes);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&radius](size_t a, size_t b) { return radius[a] > radius[b]; });
    order.resize(std::min(kept, tubes));
    std::sort(order.begin(), order.end());
    MeshPart out;
    for (const size_t t : order) {
        CopyVertices(bark, TubeVertexCount * t, TubeVertexCount, out);
    }
    IndexTubes(out);
    return out;
}

// One leaf of each pair of `leaves` (the first, third, ...; an odd last leaf is dropped, so
// that the level never keeps more than half of them), each grown by `grow` about the
// middle of its base edge, the point it hangs from; its normals shortened to match, as
// the lighting expects of a larger leaf.
void HalfTheLeaves(const MeshPart& leaves, const std::vector<float>& colours, float grow,
                   MeshPart& out, std::vector<float>& outColours) {
    const size_t count = leaves.vertexCount() / LeafVertices;
    for (size_t leaf = 0; leaf + 1 < count; leaf += 2) {
        const size_t first = LeafVertices * leaf;
        const size_t at = out.vertexCount();
        CopyVertices(leaves, first, LeafVertices, out);
        float* p = &out.positions[3 * at];
        float* n = &out.normals[3 * at];
        // Corners 0 and 3 are the base edge's ends (see LeafQuad).
        float base[3];
        for (int i = 0; i < 3; ++i) {
            base[i] = 0.5f * (p[i] + p[9 + i]);
        }
        for (size_t v = 0; v < LeafVertices; ++v) {
            for (int i = 0; i < 3; ++i) {
                p[3 * v + i] = base[i] + grow * (p[3 * v + i] - base[i]);
                n[3 * v + i] /= grow;
            }
        }
        outColours.insert(outColours.end(), colours.begin() + static_cast<ptrdiff_t>(4 * first),
                          colours.begin() + static_cast<ptrdiff_t>(4 * (first + LeafVertices)));
    }
    IndexQuads(out);
}

// The inputs and counts of a level made from `from`: what drawing it counts is its tubes
// and leaves (the chains are no longer whole).
void FinishLevel(const TreeMesh& from, TreeMesh& level) {
    level.modelGeneration = from.modelGeneration;
    level.sideBranchScale = from.sideBranchScale;
    level.passStats = FrameStats{};
    for (size_t t = 0; t < level.bark.vertexCount() / TubeVertexCount; ++t) {
        level.passStats += TubeStats;
    }
    for (size_t l = 0; l < level.leaves.vertexCount() / LeafVertices; ++l) {
        level.passStats += LeafStats;
    }
}

// The level after `before`, within half its triangles. The leaves make most of the
// crown's outline and the thinnest tubes little of it, so the leaves are kept as long as
// they take at most half of the new level's triangles, and thinned (one in two, each twice
// the area) once they would take more; the tubes share what is left, the thickest first.
TreeLevel Thinned(const TreeMesh& before) {
    TreeLevel level;
    // Counted from the vertices, so that a mesh built without indices thins alike.
    const size_t tubeTriangles = TubeTriangleIndexCount / 3;
    const size_t leafTriangles = 2 * (before.leaves.vertexCount() / LeafVertices);
    const size_t budget =
        (tubeTriangles * (before.bark.vertexCount() / TubeVertexCount) + leafTriangles) / 2;
    if (leafTriangles <= budget / 2) {
        level.mesh.leaves = before.leaves;
        level.mesh.leafColours = before.leafColours;
    } else {
        HalfTheLeaves(before.leaves, before.leafColours, std::numbers::sqrt2_v<float>,
                      level.mesh.leaves, level.mesh.leafColours);
    }
    const size_t left = budget - std::min(budget, level.mesh.leaves.triangleCount());
    level.mesh.bark = ThickestTubes(before.bark, left / tubeTriangles);
    FinishLevel(before, level.mesh);
    return level;
}

} // namespace

ImpostorFrame ImpostorFrameOf(const TreeMesh& full) {
    ImpostorFrame frame;
    float radial = 0.0f, bottom = 0.0f, top = 0.0f;
    bool any = false;
    for (const MeshPart* part : {&full.bark, &full.leaves}) {
        for (size_t v = 0; v < part->vertexCount(); ++v) {
            const float* p = &part->positions[3 * v];
            radial = std::max(radial, std::hypot(p[0], p[2]));
            bottom = any ? std::min(bottom, p[1]) : p[1];
            top = any ? std::max(top, p[1]) : p[1];
            any = true;
        }
    }
    const float margin = 0.02f * std::max(top - bottom, 2.0f * radial);
    frame.halfWidth = radial + margin;
    frame.bottom = bottom - margin;
    frame.top = top + margin;
    return frame;
}

MeshPart ImpostorQuads(const ImpostorFrame& frame, bool withWind) {
    MeshPart quads;
    for (int k = 0; k < frame.views; ++k) {
        const double a = k * std::numbers::pi / frame.views;
        const float ux = static_cast<float>(std::cos(a)), uz = static_cast<float>(-std::sin(a));
        const float nx = static_cast<float>(std::sin(a)), nz = static_cast<float>(std::cos(a));
        const float s0 = static_cast<float>(k) / frame.views;
        const float s1 = static_cast<float>(k + 1) / frame.views;
        // Counter-clockwise seen from n_k: right bottom, right top, left top, left bottom.
        const struct {
            float side, y, s, t;
        } corners[4] = {{1.0f, frame.bottom, s1, 1.0f},
                        {1.0f, frame.top, s1, 0.0f},
                        {-1.0f, frame.top, s0, 0.0f},
                        {-1.0f, frame.bottom, s0, 1.0f}};
        for (const auto& c : corners) {
            quads.positions.insert(quads.positions.end(), {c.side * frame.halfWidth * ux, c.y,
                                                           c.side * frame.halfWidth * uz});
            quads.normals.insert(quads.normals.end(), {nx, 0.0f, nz});
            quads.texCoords.insert(quads.texCoords.end(), {c.s, c.t});
            if (withWind) {
                const float height = std::max(frame.top - frame.bottom, 1e-6f);
                const float up = std::clamp((c.y - frame.bottom) / height, 0.0f, 1.0f);
                quads.wind.insert(quads.wind.end(), {up * up, 0.0f});
            }
        }
    }
    IndexQuads(quads);
    return quads;
}

TreeMesh ImpostorSlice(const TreeMesh& full, const ImpostorFrame& frame, int view) {
    const int views = std::max(frame.views, 1);
    // Whether the quad's plane, along (cos a, 0, -sin a) for a = view * 180 / views
    // degrees on both sides of the axis, passes within SliceSpread degrees of the
    // direction of (x, z).
    const auto near = [views, view](double x, double z) {
        const double a = std::atan2(-z, x) * 180.0 / std::numbers::pi - 180.0 * view / views;
        const double off = std::fmod(std::fabs(a), 180.0);
        return std::min(off, 180.0 - off) <= SliceSpread;
    };
    TreeMesh slice;
    const size_t tubes = full.bark.vertexCount() / TubeVertexCount;
    for (size_t t = 0; t < tubes; ++t) {
        const float* p = &full.bark.positions[3 * TubeVertexCount * t];
        double x = 0.0, z = 0.0;
        for (int v = 0; v < TubeVertexCount; ++v) {
            x += p[3 * v] / TubeVertexCount;
            z += p[3 * v + 2] / TubeVertexCount;
        }
        if (std::hypot(x, z) < 2.0 * TubeRadius(full.bark, t) || near(x, z)) {
            CopyVertices(full.bark, TubeVertexCount * t, TubeVertexCount, slice.bark);
        }
    }
    const size_t leaves = full.leaves.vertexCount() / LeafVertices;
    for (size_t l = 0; l < leaves; ++l) {
        const float* p = &full.leaves.positions[3 * LeafVertices * l];
        const double x = 0.25 * (p[0] + p[3] + p[6] + p[9]);
        const double z = 0.25 * (p[2] + p[5] + p[8] + p[11]);
        if (near(x, z)) {
            CopyVertices(full.leaves, LeafVertices * l, LeafVertices, slice.leaves);
            slice.leafColours.insert(
                slice.leafColours.end(), full.leafColours.begin() + static_cast<ptrdiff_t>(16 * l),
                full.leafColours.begin() + static_cast<ptrdiff_t>(16 * (l + 1)));
        }
    }
    slice.modelGeneration = full.modelGeneration;
    slice.sideBranchScale = full.sideBranchScale;
    return slice;
}

std::vector<TreeLevel> ThinnedLevels(const TreeMesh& full, int count) {
    std::vector<TreeLevel> levels;
    for (int k = 0; k < count; ++k) {
        levels.push_back(Thinned(k == 0 ? full : levels.back().mesh));
    }
    return levels;
}

std::vector<TreeLevel> LighterLevels(const TreeMesh& full, int count) {
    count = std::clamp(count, 1, MaxTreeLevels);
    std::vector<TreeLevel> levels = ThinnedLevels(full, count >= 3 ? count - 2 : count - 1);
    if (count >= 3) {
        TreeLevel impostor;
        impostor.impostor = true;
        impostor.quads = ImpostorQuads(ImpostorFrameOf(full), !full.bark.wind.empty());
        impostor.mesh.modelGeneration = full.modelGeneration;
        impostor.mesh.sideBranchScale = full.sideBranchScale;
        levels.push_back(std::move(impostor));
    }
    return levels;
}

std::vector<TreeLevel> SparseLevels(const TreeMesh& full, int count,
                                    const std::function<bool(int, size_t)>& wanted,
                                    float* thinnestKept) {
    if (thinnestKept) {
        *thinnestKept = 0.0f;
    }
    bool first = true;
    const size_t tubes = full.bark.vertexCount() / TubeVertexCount;
    const size_t leaves = full.leaves.vertexCount() / LeafVertices;
    constexpr size_t TubeTriangles = TubeTriangleIndexCount / 3;
    const size_t total = TubeTriangles * tubes + 2 * leaves;
    std::vector<float> radius;
    std::vector<float> sorted; // the radii, partly ordered for each level's threshold
    std::vector<TreeLevel> levels(static_cast<size_t>(std::max(count, 0)));
    for (int k = 1; k <= count; ++k) {
        const size_t budget = total >> k;
        if (!wanted(k, budget)) {
            continue;
        }
        if (radius.empty() && tubes > 0) {
            radius.resize(tubes);
            for (size_t t = 0; t < tubes; ++t) {
                radius[t] = TubeRadius(full.bark, t);
            }
            // Tubes a build left out (a radius of 0) are never kept.
            for (const float r : radius) {
                if (r > 0.0f) {
                    sorted.push_back(r);
                }
            }
        }
        TreeMesh& mesh = levels[static_cast<size_t>(k) - 1].mesh;
        // One leaf in 2^k, the first of each run, at its own size.
        const size_t step = size_t{1} << k;
        const size_t keptLeaves = leaves / step;
        mesh.leaves.positions.reserve(3 * LeafVertices * keptLeaves);
        mesh.leaves.normals.reserve(3 * LeafVertices * keptLeaves);
        mesh.leaves.texCoords.reserve(2 * LeafVertices * keptLeaves);
        for (size_t leaf = 0; leaf < keptLeaves; ++leaf) {
            const size_t first = LeafVertices * leaf * step;
            CopyVertices(full.leaves, first, LeafVertices, mesh.leaves);
            mesh.leafColours.insert(mesh.leafColours.end(),
                                    full.leafColours.begin() + static_cast<ptrdiff_t>(4 * first),
                                    full.leafColours.begin() +
                                        static_cast<ptrdiff_t>(4 * (first + LeafVertices)));
        }
        // The thickest tubes in the rest of the budget, in drawing order: those thicker than
        // the threshold, then those at it, the first in drawing order, up to the count.
        const size_t keptTubes =
            std::min((budget - std::min(budget, 2 * keptLeaves)) / TubeTriangles, sorted.size());
        std::vector<size_t> kept;
        if (keptTubes > 0) {
            const auto nth = sorted.begin() + static_cast<ptrdiff_t>(keptTubes - 1);
            std::nth_element(sorted.begin(), nth, sorted.end(), std::greater<float>());
            const float threshold = *nth;
            if (first && thinnestKept) {
                *thinnestKept = threshold;
            }
            size_t above = 0;
            for (const float r : radius) {
                above += r > threshold ? 1 : 0;
            }
            size_t atThreshold = keptTubes - above;
            kept.reserve(keptTubes);
            for (size_t t = 0; t < tubes; ++t) {
                if (radius[t] > threshold) {
                    kept.push_back(t);
                } else if (radius[t] == threshold && atThreshold > 0) {
                    kept.push_back(t);
                    --atThreshold;
                }
            }
        }
        mesh.bark.positions.reserve(3 * TubeVertexCount * kept.size());
        mesh.bark.normals.reserve(3 * TubeVertexCount * kept.size());
        mesh.bark.texCoords.reserve(2 * TubeVertexCount * kept.size());
        for (const size_t t : kept) {
            CopyVertices(full.bark, TubeVertexCount * t, TubeVertexCount, mesh.bark);
        }
        FinishLevel(full, mesh);
        first = false;
    }
    return levels;
}
