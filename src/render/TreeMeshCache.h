#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <vector>

#include "mesh/TreeMesh.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "render/TreeSway.h"

class GlContextState;

// The calls beyond OpenGL 1.1 the mesh drawing uses when the context has them, looked up
// when the context state is made: buffer objects with their mapping (OpenGL 1.5, or
// GL_ARB_vertex_buffer_object under its ARB names), all null without; and the multi-draw
// of OpenGL 1.4 (or GL_EXT_multi_draw_arrays), null without.
struct BufferFunctions {
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    PFNGLMAPBUFFERPROC mapBuffer = nullptr;
    PFNGLUNMAPBUFFERPROC unmapBuffer = nullptr;
    PFNGLMULTIDRAWARRAYSPROC multiDrawArrays = nullptr;

    bool available() const {
        return genBuffers && bindBuffer && bufferData && deleteBuffers && mapBuffer && unmapBuffer;
    }
};

// The most tubes drawn by one call: their vertices must be reachable by 16-bit indices.
inline constexpr int TubesPerChunk = 65536 / 14;

// The buffer objects holding one material's arrays (0: not in a buffer).
struct PartBuffers {
    GLuint positions = 0;
    GLuint normals = 0;
    GLuint texCoords = 0;
    GLuint colours = 0; // leaves only
    GLuint indices = 0;
    size_t vertexCapacity = 0; // vertices the array buffers have room for
};

// The tree mesh one context draws, and what it was built from. It is built without index
// arrays: the tubes are drawn in chunks of up to TubesPerChunk tubes, each chunk with one
// shared array of 16-bit indices (the tube triangles repeated, relative to the chunk's
// first vertex), and the leaves as one quadrangle each from their four vertices. With
// buffer objects the mesh is built straight into them, mapped (`mesh` then holds only the
// statistics and inputs), into storage kept from one tree to the next; without, `mesh`
// holds the arrays.
struct TreeMeshCache {
    const TreeModel* model = nullptr; // the model it was built from (not owned)
    uint64_t modelGeneration = 0;     // that model's generation then
    TreeParams grownParams;           // what that growth was grown from
    uint32_t grownSeed = 0;
    bool built = false;
    TreeMesh mesh;
    bool inBuffers = false;  // the arrays live in buffer objects
    bool forBuffers = false; // built while buffer objects were wanted (they may have failed)
    PartBuffers bark;
    PartBuffers leaves;
    GLsizei tubeCount = 0;
    GLsizei leafVertexCount = 0;
    std::vector<uint16_t> chunkIndices; // the triangles of TubesPerChunk tubes, made once
    GLuint chunkIndexBuffer = 0;        // the same in a buffer object, made once
    std::vector<GLint> leafFirsts;      // the first vertex of every leaf, for the multi-draw
    std::vector<GLsizei> leafCounts;    // 4 for every leaf
    MeshSway sway;                      // while the wind blows: the rest positions and weights
    int64_t builds = 0;                 // how many times a mesh was built here
};

// Makes the cache of `state` hold the mesh of `model` as it stands, building and
// uploading it only when the model grew since (another generation), is another model or
// was grown from other parameters or another seed, or the side-branch scale of `params`
// changed, and when the wind started or stopped: `withWind` builds it with the sway's rest
// positions and weights (see MeshSway), which go again with the next build without it.
// True when it built.
bool UpdateTreeMesh(const TreeModel& model, const TreeParams& params, GlContextState& state,
                    bool withWind = false);

// Whether the cache holds the mesh of `model` as it stands (the same model, generation,
// parameters grown from and seed).
bool HoldsMeshOf(const TreeMeshCache& cache, const TreeModel& model);

// Lets go of everything the cache of `state` holds: the mesh, its buffer objects and the
// arrays made for drawing it (the count of builds stays).
void ReleaseTreeMesh(GlContextState& state);

// Makes the cache of `state` hold `mesh`, a lighter level of detail of `model` as it
// stands (bark and leaves in the fixed layout of a built mesh), drawn from client memory
// in place of the model's own mesh until the model grows again.
void UseTreeMesh(const TreeModel& model, const TreeParams& params, TreeMesh mesh,
                 GlContextState& state);
