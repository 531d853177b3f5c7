#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "mesh/TreeMesh.h"

// Levels of detail of one tree, all made from its full mesh (level 0) so that their
// outlines agree. Each level has at most half the triangles of the one before it.
//
// A thinned level drops the thinnest tubes first (the thickest half of the tubes of the
// level before are kept) and thins the leaves rather than shrinking them: it keeps one
// leaf in two of the level before, each kept leaf enlarged about the point it hangs from
// so that the crown covers about as much as before. The last level of a chain of three or
// more is an impostor instead: a star of ImpostorViews upright quads through the trunk,
// each showing a picture of the full tree seen square on to it (see ImpostorFrame).

// The most levels a chain has.
inline constexpr int MaxTreeLevels = 6;
// The upright quads of an impostor's star: 2 triangles each, 32 in all.
inline constexpr int ImpostorViews = 16;

// Where an impostor's quads stand and how its pictures are laid out. Quad k stands in the
// plane through the trunk's axis along u_k = (cos a, 0, -sin a), a = k * 180 / views
// degrees, from -halfWidth to +halfWidth along u_k and from `bottom` to `top` up the y
// axis. Its picture is the tree seen along -n_k, n_k = (sin a, 0, cos a) (the tree turned
// by -a about y, then looked at along -z with x to the right), orthographic, covering the
// same rectangle. The pictures lie side by side in one atlas, view k in column k: the
// quad's texture coordinates run over (k / views .. (k + 1) / views, 0 .. 1), t = 0 the
// atlas's top row.
struct ImpostorFrame {
    int views = ImpostorViews;
    float halfWidth = 0.0f;
    float bottom = 0.0f;
    float top = 0.0f;
};

// The frame that holds every vertex of `full` in each view, with a small margin.
ImpostorFrame ImpostorFrameOf(const TreeMesh& full);

// What each of the impostor's pictures shows: not the whole tree, which every quad would
// then repeat (from any side the star would show all its pictures at once, far fuller than
// the tree), but the slice of it nearest its quad. Every leaf and tube goes to the quads
// whose planes pass close to its centre's direction from the trunk's axis, so that from
// any side each part of the tree is shown about once, near where it is; tubes on the axis
// (the trunk), which every quad passes through, go to all of them, so the trunk keeps its
// width from every side. The slice of view `view`, in the fixed layout of a built mesh,
// without indices.
TreeMesh ImpostorSlice(const TreeMesh& full, const ImpostorFrame& frame, int view);

// The impostor's quads for `frame`: 4 vertices and 2 triangles a view, unit normals along
// n_k; with `withWind`, wind data that grows from 0 at the bottom to 1 at the top.
MeshPart ImpostorQuads(const ImpostorFrame& frame, bool withWind);

// One level of a chain: bark and leaves, or (the impostor) quads of its own.
struct TreeLevel {
    TreeMesh mesh;         // empty parts for the impostor
    bool impostor = false; // the quads are in `quads`, textured by the impostor's atlas
    MeshPart quads;

    size_t triangleCount() const {
        return mesh.bark.triangleCount() + mesh.leaves.triangleCount() + quads.triangleCount();
    }
};

// `count` thinned levels after `full` (built with or without indices), each with at most
// half the triangles of the one before; no impostor.
std::vector<TreeLevel> ThinnedLevels(const TreeMesh& full, int count);

// Lighter levels for a moving picture, each made straight from `full` (built with or
// without indices; the levels have none and no wind data): level k (1 .. count) has at most
// 1/2^k of its triangles, one leaf in 2^k at its own size and the thickest tubes in the
// rest. Its crown is sparser than a thinned level's: on a software renderer a dense crown
// costs more in the pixels its leaves cover over and over than in their vertices, and
// enlarged leaves would keep all of that. Only the levels `wanted(k, triangles)` asks for
// are made; the others stay empty. Tubes of radius 0 (left out by the build, see
// MeshDestination) are never kept. `thinnestKept`, when given, is the radius of the
// thinnest tube of the most detailed level made (0: none).
std::vector<TreeLevel> SparseLevels(const TreeMesh& full, int count,
                                    const std::function<bool(int, size_t)>& wanted,
                                    float* thinnestKept = nullptr);

// The levels 1 .. count-1 of the chain of `count` (1 to MaxTreeLevels) levels whose level 0
// is `full` (built with indices; with wind data, the levels have theirs): the thinned
// levels, then, for a count of three or more, the impostor. Empty for a count of 1.
std::vector<TreeLevel> LighterLevels(const TreeMesh& full, int count);
