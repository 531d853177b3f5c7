#include "render/TreeMeshCache.h"

#include <GL/gl.h>

#include "mesh/TreeGeometry.h"
#include "model/TreeParams.h"
#include "render/GlContextState.h"
#include "render/TreeDrawing.h"

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

// How many vertices the mesh is built and copied into the buffer objects by at a time:
// small enough to stay in the processor's cache, large enough to make few calls.
constexpr size_t PieceVertices = 32768;

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

void WriteAt(const BufferFunctions& gl, GLuint name, size_t vertex, GLsizeiptr bytesPerVertex,
             const std::vector<float>& data) {
    if (data.empty()) {
        return;
    }
    gl.bindBuffer(GL_ARRAY_BUFFER, name);
    gl.bufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(vertex) * bytesPerVertex,
                     static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data());
}

// Appends a piece of one part at vertex `at`, which then moves past it.
void Append(const BufferFunctions& gl, const PartBuffers& buffers, const MeshPart& part,
            const std::vector<float>* colours, size_t& at) {
    WriteAt(gl, buffers.positions, at, PositionBytes, part.positions);
    WriteAt(gl, buffers.normals, at, NormalBytes, part.normals);
    WriteAt(gl, buffers.texCoords, at, TexCoordBytes, part.texCoords);
    if (colours) {
        WriteAt(gl, buffers.colours, at, ColourBytes, *colours);
    }
    at += part.vertexCount();
}

// Builds the mesh straight into the buffer objects, piece by piece, so it is never held
// whole in client memory. False when the driver could not hold it.
bool BuildIntoBuffers(const BufferFunctions& gl, const TreeModel& model, TreeMeshCache& cache) {
    while (glGetError() != GL_NO_ERROR) {
    }
    const ModelCounts counts = CountModel(model);
    ReserveBuffers(gl, cache.bark, TubeVertexCount * static_cast<size_t>(counts.segments), false);
    ReserveBuffers(gl, cache.leaves, 4 * static_cast<size_t>(counts.leaves), true);
    if (glGetError() == GL_OUT_OF_MEMORY) {
        return false;
    }
    size_t barkAt = 0, leafAt = 0;
    cache.mesh = BuildTreeMeshInPieces(model, treeParams, PieceVertices, [&](const TreeMesh& p) {
        Append(gl, cache.bark, p.bark, nullptr, barkAt);
        Append(gl, cache.leaves, p.leaves, &p.leafColours, leafAt);
    });
    gl.bindBuffer(GL_ARRAY_BUFFER, 0);
    SetCounts(cache, barkAt, leafAt);
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
void BuildForDrawing(const TreeModel& model, TreeMeshCache& cache) {
    cache.mesh = BuildTreeMesh(model, treeParams, false);
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

bool UpdateTreeMesh(const TreeModel& model) {
    GlContextState& state = GlContextState::Current();
    TreeMeshCache& cache = state.treeMesh;
    const bool buffers = WantsBuffers(state);
    if (cache.built && cache.model == &model && cache.mesh.modelGeneration == model.generation() &&
        cache.mesh.sideBranchScale == treeParams.sseScaleAttenuate && cache.forBuffers == buffers) {
        return false;
    }
    cache.mesh = TreeMesh{};
    cache.inBuffers = false;
    if (buffers) {
        PrepareChunkIndices(state.buffers, cache, true);
        cache.inBuffers = BuildIntoBuffers(state.buffers, model, cache);
    }
    if (!cache.inBuffers) {
        // No buffer objects wanted, or the driver could not hold the tree: its storage goes
        // and the mesh is drawn from client memory.
        if (state.buffers.available()) {
            ReleaseBuffers(state.buffers, cache.bark);
            ReleaseBuffers(state.buffers, cache.leaves);
        }
        cache.mesh = TreeMesh{};
        BuildForDrawing(model, cache);
    }
    PrepareChunkIndices(state.buffers, cache, false);
    cache.model = &model;
    cache.forBuffers = buffers;
    cache.built = true;
    ++cache.builds;
    return true;
}
