#include "render/TreeDrawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

#include "mesh/TreeGeometry.h"
#include "render/ApplyMaterial.h"
#include "render/BranchMesh.h"
#include "render/GlContextState.h"
#include "render/Material.h"
#include "render/Shadow.h"
#include "render/Texture.h"
#include "render/TreeSway.h"

namespace {

// The address of the array's element `first` (of `size` values each) for a pointer call:
// an offset into its buffer object, which is bound, or a pointer into client memory.
template <typename T>
const void* Source(const GlContextState& state, GLenum target, GLuint buffer,
                   const std::vector<T>& data, size_t first = 0, int size = 1) {
    const size_t offset = first * static_cast<size_t>(size);
    if (state.treeMesh.inBuffers) {
        state.buffers.bindBuffer(target, buffer);
        // A buffer offset travels in the pointer argument.
        return reinterpret_cast<const void*>(static_cast<uintptr_t>(offset * sizeof(T)));
    }
    return data.data() + offset;
}

// Points the client arrays at one part from its vertex `first` on: positions always,
// normals and texture coordinates when `lit`, colours when `colours` is set.
void PointAt(const GlContextState& state, const MeshPart& part, const PartBuffers& buffers,
             bool lit, const std::vector<float>* colours, size_t first = 0) {
    glVertexPointer(3, GL_FLOAT, 0,
                    Source(state, GL_ARRAY_BUFFER, buffers.positions, part.positions, first, 3));
    if (lit) {
        glNormalPointer(GL_FLOAT, 0,
                        Source(state, GL_ARRAY_BUFFER, buffers.normals, part.normals, first, 3));
        glTexCoordPointer(
            2, GL_FLOAT, 0,
            Source(state, GL_ARRAY_BUFFER, buffers.texCoords, part.texCoords, first, 2));
    }
    if (colours) {
        glColorPointer(4, GL_FLOAT, 0,
                       Source(state, GL_ARRAY_BUFFER, buffers.colours, *colours, first, 4));
    }
}

// The tubes as triangles, split the way the driver splits the strips, so they shade
// exactly as the strips do. One draw per chunk of tubes, the arrays pointed at the chunk's
// first vertex, so one small array of 16-bit indices serves every chunk.
void DrawBark(const GlContextState& state, bool lit) {
    const TreeMeshCache& cache = state.treeMesh;
    const void* indices =
        Source(state, GL_ELEMENT_ARRAY_BUFFER, cache.chunkIndexBuffer, cache.chunkIndices);
    for (GLsizei first = 0; first < cache.tubeCount; first += TubesPerChunk) {
        const GLsizei tubes = std::min<GLsizei>(TubesPerChunk, cache.tubeCount - first);
        PointAt(state, cache.mesh.bark, cache.bark, lit, nullptr,
                static_cast<size_t>(first) * TubeVertexCount);
        glDrawElements(GL_TRIANGLES, tubes * TubeTriangleIndexCount, GL_UNSIGNED_SHORT, indices);
    }
}

// The leaves as one quadrangle draw each, in a single multi-draw call, when lit. The
// driver splits a lone quadrangle along one diagonal, and along the other once it is
// clipped; a batch of quadrangles in one draw, or triangles, would light some leaves
// differently from the immediate walk, which draws every leaf on its own.
void DrawLeaves(const GlContextState& state, bool lit, bool coloured) {
    const TreeMeshCache& cache = state.treeMesh;
    if (cache.leafVertexCount == 0) {
        return;
    }
    PointAt(state, cache.mesh.leaves, cache.leaves, lit,
            coloured ? &cache.mesh.leafColours : nullptr);
    const GLsizei leaves = static_cast<GLsizei>(cache.leafFirsts.size());
    if (!lit) {
        // One flat colour: either split of a quadrangle covers the same pixels once, so the
        // shadow's leaves go in one batch.
        glDrawArrays(GL_QUADS, 0, cache.leafVertexCount);
    } else if (state.buffers.multiDrawArrays) {
        state.buffers.multiDrawArrays(GL_QUADS, cache.leafFirsts.data(), cache.leafCounts.data(),
                                      leaves);
    } else {
        for (GLsizei i = 0; i < leaves; ++i) {
            glDrawArrays(GL_QUADS, 4 * i, 4);
        }
    }
}

void UnbindBuffers(const GlContextState& state) {
    if (state.treeMesh.inBuffers) {
        state.buffers.bindBuffer(GL_ARRAY_BUFFER, 0);
        state.buffers.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
}

// The tree pass from the mesh: bark once for all tubes, then the leaf texture, the alpha
// test and the leaf material once for all leaves, each leaf's ambient colour coming from
// the colour array through colour-material tracking.
FrameStats DrawTreeFromMesh(GlContextState& state) {
    const TreeMeshCache& cache = state.treeMesh;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (cache.tubeCount > 0) {
        barkTexture.bind();
        ApplyMaterial(BarkMaterial(), GL_FRONT_AND_BACK, state);
        DrawBark(state, true);
    }
    if (cache.leafVertexCount > 0) {
        leafTexture.bind();
        // The ambient colour is each leaf's own, from the colour array (below); the neutral
        // factor's stands in for it until tracking starts.
        ApplyMaterial(LeafMaterial(1.0f), GL_FRONT_AND_BACK, state);
        // The mode is chosen before tracking starts, so the diffuse colour is not touched.
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT);
        glEnable(GL_COLOR_MATERIAL);
        glEnableClientState(GL_COLOR_ARRAY);
        // The leaf texture's alpha is low on the leaf and high on its background.
        glAlphaFunc(GL_LESS, 0.1f);
        glEnable(GL_ALPHA_TEST);
        DrawLeaves(state, true, true);
        glDisable(GL_ALPHA_TEST);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisable(GL_COLOR_MATERIAL);
        // Tracking changed the material's ambient colour behind the cache's back.
        state.appliedMaterial.reset();
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    UnbindBuffers(state);
    // The colour the leaves of the immediate pass leave current.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    return cache.mesh.passStats;
}

// The shadow pass from the mesh: positions only, one colour for all tubes and one for
// all leaves, both read now.
FrameStats DrawShadowFromMesh(const TreeParams& params, float angle, GlContextState& state) {
    BeginShadow(angle, params, state);
    glEnableClientState(GL_VERTEX_ARRAY);
    glColor4f(0.0f, 0.0f, 0.0f, params.brushShadowDensity);
    DrawBark(state, false);
    glColor4f(0.0f, 0.0f, 0.0f, params.leafShadowDensity);
    DrawLeaves(state, false, false);
    glDisableClientState(GL_VERTEX_ARRAY);
    UnbindBuffers(state);
    EndShadow(state);
    return state.treeMesh.mesh.passStats;
}

// Whether a pass walks the structure: in the immediate mode without the wind. The mesh that
// swayed in the walk's place while the wind blew goes then.
bool WalksStructure(GlContextState& state, const std::optional<double>& windSeconds) {
    if (state.drawMode != TreeDrawMode::Immediate || windSeconds) {
        return false;
    }
    if (state.treeMesh.sway.built) {
        ReleaseTreeMesh(state);
    }
    return true;
}

// The cached mesh of `model` as it stands, at the frame's sway time while the wind blows.
void PrepareMesh(const TreeModel& model, const TreeParams& params, GlContextState& state,
                 const std::optional<double>& windSeconds) {
    UpdateTreeMesh(model, params, state, windSeconds.has_value());
    if (windSeconds) {
        SwayTreeMesh(state, *windSeconds);
    }
}

} // namespace

FrameStats DrawTree(const TreeModel& model, const TreeParams& params, GlContextState& state,
                    std::optional<double> windSeconds) {
    if (WalksStructure(state, windSeconds)) {
        return DrawModel(model, params, state);
    }
    PrepareMesh(model, params, state, windSeconds);
    return DrawTreeFromMesh(state);
}

FrameStats DrawTreeShadow(const TreeModel& model, const TreeParams& params, float angle,
                          GlContextState& state, std::optional<double> windSeconds) {
    if (WalksStructure(state, windSeconds)) {
        return DrawModelShadow(model, params, angle, state);
    }
    PrepareMesh(model, params, state, windSeconds);
    return DrawShadowFromMesh(params, angle, state);
}
