#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mesh/FrameStats.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"

// The tree's geometry, built once per growth from the branch structure and drawn (or
// written out) as plain arrays.
//
// Frame and units: every position and normal is in the tree's own frame, the one the
// trunk's chain starts in: the foot of the trunk at the origin, the trunk growing along
// +y, in the structure's own length units (the first trunk segment is 16 long at the
// defaults). It lies below everything a viewer adds: the camera, the vertical stretch of
// the frame and the turn by the azimuth (or the shadow's flattening) are applied to it as
// a whole. Positions and normals are exactly what the matrix-stack drawing would reach:
// each segment's rotate-then-translate step, the uniform "SSE. Scale Attenuate" scale of
// every side-branch level, each leaf's scale, twist and tilt; composed in double precision
// and stored as floats.
//
// Normals went through the inverse transpose of the same tree-space matrix and are NOT
// normalised: a tube's normal is as long as its bottom ring's radius divided by the
// side-branch scales above it, a leaf's is sqrt 3 divided by its scale. Lighting relies on
// that length (OpenGL's normalisation stays off); an exporter wanting unit normals must
// normalise them itself.
//
// Indices: three per triangle, each addressing a vertex of the same part (vertex i is
// positions[3i..3i+2], normals[3i..3i+2], texCoords[2i..2i+1]). Triangles wind
// counter-clockwise seen from the side their normals point to (tubes: from outside).

// The geometry of one material.
struct MeshPart {
    std::vector<float> positions;  // x, y, z per vertex
    std::vector<float> normals;    // x, y, z per vertex, unnormalised (see above)
    std::vector<float> texCoords;  // s, t per vertex; texture row t = 0 is the picture's top
    std::vector<uint32_t> indices; // three per triangle, counter-clockwise
    // Wind data, two values per vertex when the build was asked for it (empty otherwise):
    // the sway weight, 0 at the trunk's foot growing to 1 at the tip farthest along the
    // branches (the square of the path length from the foot over the longest such path, so
    // it never decreases along a chain), and the phase, 0 to 1, of the limb the vertex
    // belongs to (every side branch of the trunk and all that hangs off it share one; the
    // trunk's is 0). A leaf's four vertices take the values of the point it hangs from.
    std::vector<float> wind;

    size_t vertexCount() const { return positions.size() / 3; }
    size_t triangleCount() const { return indices.size() / 3; }
};

struct TreeMesh {
    // Every tube, with the bark texture and material. A tube is 14 vertices in the order
    // the quad strip of the immediate drawing emits them: for each of the 7 ring steps a
    // bottom vertex (t = 0) then a top vertex (t = 1), both with the bottom corner's
    // normal; s runs 0 to 1 around the ring, the last step repeating the first corner.
    // Tubes follow each other in drawing order (chain by chain, side branches before the
    // next tube of their parent chain); 12 triangles a tube.
    MeshPart bark;
    // Every leaf quad, with the leaf texture (cut out where its alpha is 0.1 or more) and
    // the leaf material. 4 vertices a leaf, corners (0.5, 0), (0.5, 1), (-0.5, 1),
    // (-0.5, 0) of its own frame, with texture coordinates (1, 0), (1, 1), (0, 1), (0, 0);
    // 2 triangles a leaf.
    MeshPart leaves;
    // The leaf material's ambient colour of each leaf vertex, r, g, b, a (the four vertices
    // of a leaf share one colour; between 0.445 and 0.495 red, 0.527 and 0.577 green).
    std::vector<float> leafColours;

    // What one drawing pass over the structure counts: a frame draws the tree twice
    // (shadow and tree pass) and adds this once for each.
    FrameStats passStats;

    // The inputs it was built from: the structure's generation (TreeModel::generation)
    // and the side-branch scale.
    uint64_t modelGeneration = 0;
    float sideBranchScale = 1.0f;

    // Bytes held by the arrays.
    size_t byteSize() const;
};

// How large the mesh of a structure is, measured by a walk over its records before the
// mesh is built, so that its arrays (or buffer objects) can be made to size first; and the
// size of every chain in it, which a build needs to hand whole side branches to other
// threads at known places in the arrays.
struct TreeMeshLayout {
    struct ChainSize {
        uint32_t tubes = 0;  // the chain's tubes and those of everything hanging off it
        uint32_t leaves = 0; // likewise its leaves
        uint32_t chains = 0; // the chains it holds, itself included
    };
    size_t barkVertices = 0;
    size_t leafVertices = 0;
    // Every chain the walk enters, in drawing order (the trunk first).
    std::vector<ChainSize> chains;
    // The structure measured: a layout describes it until its next growth.
    const TreeModel* model = nullptr;
    uint64_t modelGeneration = 0;
};

TreeMeshLayout MeasureTreeMesh(const TreeModel& model);

// Where a build writes the mesh: arrays with room for the layout's vertices (3 floats a
// vertex for positions and normals, 2 for texture coordinates, 4 for leaf colours), laid
// out as in MeshPart. Writing only; nothing is read from them.
struct MeshDestination {
    float* barkPositions = nullptr;
    float* barkNormals = nullptr;
    float* barkTexCoords = nullptr;
    float* leafPositions = nullptr;
    float* leafNormals = nullptr;
    float* leafTexCoords = nullptr;
    float* leafColours = nullptr;
    // Wind data (weight, phase per vertex, see MeshPart::wind), written when not null.
    // Unlike the other arrays these are also read: the weights are made relative to the
    // longest path once the walk is over.
    float* barkWind = nullptr;
    float* leafWind = nullptr;
    // What a build for lighter levels alone may leave out (see SparseLevels): a tube whose
    // bottom ring is thinner than `thinnerThan` gets all its positions 0 (a radius of 0),
    // and of the leaves only every `leafStep`-th in drawing order is written, the places
    // of the others left as they were (their wind data, as the left-out tubes', 0). The
    // statistics still count everything.
    float thinnerThan = 0.0f;
    uint32_t leafStep = 1;
};

// Writes the mesh of `model`, measured as `layout`, into `to`. A large structure is walked
// by up to `threads` threads at once (0: one per processor), each writing whole side
// branches at the places the layout gives them, so the arrays come out exactly as one walk
// would write them. Of the parameters only "SSE. Scale Attenuate" (params.sseScaleAttenuate)
// is read: the drawn scale of a side branch against its parent. Returns the mesh's
// statistics and inputs with empty arrays; nothing is written, and the statistics are
// empty, when the layout is not the model's as it stands.
TreeMesh BuildTreeMeshInto(const TreeModel& model, const TreeParams& params,
                           const TreeMeshLayout& layout, const MeshDestination& to,
                           int threads = 0);

// Builds the mesh of `model`, measured as `layout`, into `mesh`, without indices, over the
// storage its arrays hold from an earlier build: a caller that builds a mesh at every move
// of a drag keeps its memory instead of having the system clear new pages each time.
// `leaveOut` takes its thinnerThan and leafStep (see MeshDestination).
void BuildTreeMeshOver(const TreeModel& model, const TreeParams& params,
                       const TreeMeshLayout& layout, TreeMesh& mesh, int threads = 0,
                       bool withWind = false, const MeshDestination& leaveOut = {});

// Builds the mesh of `model` as it stands into its own arrays (see BuildTreeMeshInto). A
// model that was never grown gives an empty mesh. Without `withIndices` both parts' index
// arrays stay empty (for a caller that knows the fixed layout: every tube's triangles are
// TubeTriangles of TreeGeometry.h offset by 14 times the tube's number, every leaf's are
// 0 1 2, 0 2 3 offset by 4 times the leaf's number).
// With `withWind` both parts also get their wind data.
TreeMesh BuildTreeMesh(const TreeModel& model, const TreeParams& params, bool withIndices = true,
                       int threads = 0, bool withWind = false);
