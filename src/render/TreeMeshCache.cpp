#include "render/TreeMeshCache.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "mesh/TreeGeometry.h"
#include "render/GlContextState.h"

namespace {

void ReleaseBuffers(const BufferFunctions& gl, PartBuffers& part) {
    GLuint* names[] = {&part.positions, &part.normals, &part.texCoords, &part.colours,
                       &part.indices};
    for (GLuint* name : names) {
        if (*name != 0) {
            gl.deleteBuffers(1, name);
            *name = 0;
        }
    }
}

void SetCounts(TreeMeshCache& cache, size_t barkVertices, size_t leafVertices);

// The bytes one vertex takes in each array of a part.
constexpr GLsizeiptr PositionBytes = 3 * sizeof(float);
constexpr GLsizeiptr NormalBytes = 3 * sizeof(float);
constexpr GLsizeiptr TexCoordBytes = 2 * sizeof(float);
constexpr GLsizeiptr ColourBytes = 4 * sizeof(float);

// Makes the part's buffer objects hold `vertices` vertices. Their storage is kept from
// one tree to the next, so a regrowth writes into memory the driver already has; it is
// made anew only when too small, or over four times too large.
void ReserveBuffers(const BufferFunctions& gl, PartBuffers& part, size_t vertices, bool colours) {
    if (vertices <= part.vertexCapacity && vertices >= part.vertexCapacity / 4 &&
        part.positions != 0) {
        return;
    }
    // An eighth more, so that the slightly larger tree of the next slider step still fits.
    vertices += vertices / 8;
    auto specify = [&](GLuint& name, GLsizeiptr bytesPerVertex) {
        if (name == 0) {
            gl.genBuffers(1, &name);
        }
        gl.bindBuffer(GL_ARRAY_BUFFER, name);
        gl.bufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices) * bytesPerVertex, nullptr,
                      GL_STATIC_DRAW);
    };
    specify(part.positions, PositionBytes);
    specify(part.normals, NormalBytes);
    specify(part.texCoords, TexCoordBytes);
    if (colours) {
        specify(part.colours, ColourBytes);
    }
    gl.bindBuffer(GL_ARRAY_BUFFER, 0);
    part.vertexCapacity = vertices;
}

// The buffer objects of the mesh mapped into memory for writing, unmapped when it goes.
class MappedBuffers {
public:
    explicit MappedBuffers(const BufferFunctions& gl) : gl_(gl) {}
    ~MappedBuffers() { Unmap(); }

    // The buffer's storage, or null when it could not be mapped.
    float* Map(GLuint name) {
        gl_.bindBuffer(GL_ARRAY_BUFFER, name);
        void* at = gl_.mapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY);
        if (at) {
            mapped_.push_back(name);
        }
        return static_cast<float*>(at);
    }

    // False when the contents of any buffer were lost while it was mapped.
    bool Unmap() {
        bool kept = true;
        for (const GLuint name : mapped_) {
            gl_.bindBuffer(GL_ARRAY_BUFFER, name);
            kept = gl_.unmapBuffer(GL_ARRAY_BUFFER) == GL_TRUE && kept;
        }
        mapped_.clear();
        gl_.bindBuffer(GL_ARRAY_BUFFER, 0);
        return kept;
    }

private:
    const BufferFunctions& gl_;
    std::vector<GLuint> mapped_;
};

// Builds the mesh straight into the buffer objects, mapped, so it is never held in client
// memory nor copied. With the wind, the positions are built into the sway's rest positions
// and copied into their buffers from there. False when the driver could not hold or map
// them.
bool BuildIntoBuffers(const BufferFunctions& gl, const TreeModel& model, const TreeParams& params,
                      TreeMeshCache& cache, bool withWind) {
    while (glGetError() != GL_NO_ERROR) {
    }
    const TreeMeshLayout layout = MeasureTreeMesh(model);
    ReserveBuffers(gl, cache.bark, layout.barkVertices, false);
    ReserveBuffers(gl, cache.leaves, layout.leafVertices, true);
    if (glGetError() == GL_OUT_OF_MEMORY) {
        return false;
    }
    MappedBuffers mapped(gl);
    MeshDestination to;
    if (layout.barkVertices > 0) {
        to.barkPositions = mapped.Map(cache.bark.positions);
        to.barkNormals = mapped.Map(cache.bark.normals);
        to.barkTexCoords = mapped.Map(cache.bark.texCoords);
        if (!to.barkPositions || !to.barkNormals || !to.barkTexCoords) {
            return false;
        }
    }
    if (layout.leafVertices > 0) {
        to.leafPositions = mapped.Map(cache.leaves.positions);
        to.leafNormals = mapped.Map(cache.leaves.normals);
        to.leafTexCoords = mapped.Map(cache.leaves.texCoords);
        to.leafColours = mapped.Map(cache.leaves.colours);
        if (!to.leafPositions || !to.leafNormals || !to.leafTexCoords || !to.leafColours) {
            return false;
        }
    }
    float* const barkPositions = to.barkPositions;
    float* const leafPositions = to.leafPositions;
    if (withWind) {
        PrepareSway(cache.sway, layout.barkVertices, layout.leafVertices, to);
    }
    cache.mesh = BuildTreeMeshInto(model, params, layout, to);
    if (withWind) {
        FinishSway(cache.sway);
        std::copy(cache.sway.barkRest.begin(), cache.sway.barkRest.end(), barkPositions);
        std::copy(cache.sway.leafRest.begin(), cache.sway.leafRest.end(), leafPositions);
    }
    if (!mapped.Unmap()) {
        return false;
    }
    SetCounts(cache, layout.barkVertices, layout.leafVertices);
    return glGetError() != GL_OUT_OF_MEMORY;
}

// Records how many tubes and leaf vertices there are to draw, and the leaves' draws.
void SetCounts(TreeMeshCache& cache, size_t barkVertices, size_t leafVertices) {
    cache.tubeCount = static_cast<GLsizei>(barkVertices / TubeVertexCount);
    cache.leafVertexCount = static_cast<GLsizei>(leafVertices);
    const GLsizei leaves = cache.leafVertexCount / 4;
    cache.leafFirsts.resize(leaves);
    cache.leafCounts.assign(leaves, 4);
    for (GLsizei i = 0; i < leaves; ++i) {
        cache.leafFirsts[i] = 4 * i;
    }
}

// Builds the mesh for drawing, without index arrays: the tubes are drawn by chunks with
// one shared index array (see DrawBark), the leaves one quadrangle each (see DrawLeaves).
// With the wind, the sway keeps its rest positions and weights beside the arrays.
void BuildForDrawing(const TreeModel& model, const TreeParams& params, TreeMeshCache& cache,
                     bool withWind) {
    cache.mesh = BuildTreeMesh(model, params, false, 0, withWind);
    if (withWind) {
        TakeSway(cache.sway, cache.mesh.bark, cache.mesh.leaves);
    }
    SetCounts(cache, cache.mesh.bark.vertexCount(), cache.mesh.leaves.vertexCount());
}

// The triangles of a chunk of tubes, the same for every chunk of every tree: made once
// per context, and put in a buffer object when the mesh is.
void PrepareChunkIndices(const BufferFunctions& gl, TreeMeshCache& cache, bool buffers) {
    if (cache.chunkIndices.empty()) {
        cache.chunkIndices.reserve(TubesPerChunk * TubeTriangleIndexCount);
        for (int tube = 0; tube < TubesPerChunk; ++tube) {
            for (const uint8_t i : TubeTriangles) {
                cache.chunkIndices.push_back(static_cast<uint16_t>(tube * TubeVertexCount + i));
            }
        }
    }
    if (buffers && cache.chunkIndexBuffer == 0) {
        gl.genBuffers(1, &cache.chunkIndexBuffer);
        gl.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, cache.chunkIndexBuffer);
        gl.bufferData(GL_ELEMENT_ARRAY_BUFFER,
                      static_cast<GLsizeiptr>(cache.chunkIndices.size() * sizeof(uint16_t)),
                      cache.chunkIndices.data(), GL_STATIC_DRAW);
        gl.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
}

bool WantsBuffers(const GlContextState& state) {
    return state.drawMode == TreeDrawMode::Buffers && state.buffers.available();
}

} // namespace

// Whether the cache holds the mesh of `model` as it stands. The model's address and
// generation alone could name another model made where an old one was; what it was grown
// from tells them apart.
bool HoldsMeshOf(const TreeMeshCache& cache, const TreeModel& model) {
    return cache.built && cache.model == &model && cache.modelGeneration == model.generation() &&
           std::memcmp(&cache.grownParams, &model.grownParams(), sizeof(TreeParams)) == 0 &&
           cache.grownSeed == model.grownSeed();
}

bool UpdateTreeMesh(const TreeModel& model, const TreeParams& params, GlContextState& state,
                    bool withWind) {
    TreeMeshCache& cache = state.treeMesh;
    const bool buffers = WantsBuffers(state);
    if (HoldsMeshOf(cache, model) && cache.mesh.sideBranchScale == params.sseScaleAttenuate &&
        cache.forBuffers == buffers && cache.sway.built == withWind) {
        return false;
    }
    cache.mesh = TreeMesh{};
    cache.sway = MeshSway{};
    cache.inBuffers = false;
    if (buffers) {
        PrepareChunkIndices(state.buffers, cache, true);
        cache.inBuffers = BuildIntoBuffers(state.buffers, model, params, cache, withWind);
    }
    if (!cache.inBuffers) {
        // No buffer objects wanted, or the driver could not hold the tree: its storage goes
        // and the mesh is drawn from client memory.
        if (state.buffers.available()) {
            ReleaseBuffers(state.buffers, cache.bark);
            ReleaseBuffers(state.buffers, cache.leaves);
        }
        cache.mesh = TreeMesh{};
        BuildForDrawing(model, params, cache, withWind);
    }
    PrepareChunkIndices(state.buffers, cache, false);
    cache.model = &model;
    cache.modelGeneration = model.generation();
    cache.grownParams = model.grownParams();
    cache.grownSeed = model.grownSeed();
    cache.forBuffers = buffers;
    cache.built = true;
    ++cache.builds;
    return true;
}

void UseTreeMesh(const TreeModel& model, const TreeParams& params, TreeMesh mesh,
                 GlContextState& state) {
    TreeMeshCache& cache = state.treeMesh;
    if (cache.inBuffers) {
        ReleaseBuffers(state.buffers, cache.bark);
        ReleaseBuffers(state.buffers, cache.leaves);
    }
    cache.inBuffers = false;
    cache.sway = MeshSway{}; // a level is drawn at rest
    cache.mesh = std::move(mesh);
    cache.mesh.sideBranchScale = params.sseScaleAttenuate;
    SetCounts(cache, cache.mesh.bark.vertexCount(), cache.mesh.leaves.vertexCount());
    PrepareChunkIndices(state.buffers, cache, false);
    cache.model = &model;
    cache.modelGeneration = model.generation();
    cache.grownParams = model.grownParams();
    cache.grownSeed = model.grownSeed();
    // As a build that could not use buffer objects: drawn from client memory.
    cache.forBuffers = WantsBuffers(state);
    cache.built = true;
}

void ReleaseTreeMesh(GlContextState& state) {
    TreeMeshCache& cache = state.treeMesh;
    if (state.buffers.available()) {
        ReleaseBuffers(state.buffers, cache.bark);
        ReleaseBuffers(state.buffers, cache.leaves);
        if (cache.chunkIndexBuffer != 0) {
            state.buffers.deleteBuffers(1, &cache.chunkIndexBuffer);
        }
    }
    const int64_t builds = cache.builds;
    cache = TreeMeshCache{};
    cache.builds = builds;
}
