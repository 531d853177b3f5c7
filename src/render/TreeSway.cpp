#include "render/TreeSway.h"

#include <GL/gl.h>

#include <algorithm>

#include "mesh/TreeMesh.h"
#include "mesh/TreeWind.h"
#include "render/GlContextState.h"

namespace {

// Keeps the first of every two values: the weights of the build's weight and phase pairs.
void KeepWeights(std::vector<float>& wind) {
    const size_t vertices = wind.size() / 2;
    for (size_t i = 0; i < vertices; ++i) {
        wind[i] = wind[2 * i];
    }
    wind.resize(vertices);
    wind.shrink_to_fit();
}

float HighestY(const std::vector<float>& positions, float highest) {
    for (size_t i = 1; i < positions.size(); i += 3) {
        highest = std::max(highest, positions[i]);
    }
    return highest;
}

// The rest positions moved by weight x (dx, 0, dz), written to `out`. A sway of zero
// writes the rest positions exactly.
void Displace(const std::vector<float>& rest, const std::vector<float>& weights, float dx, float dz,
              float* out) {
    for (size_t i = 0; i < weights.size(); ++i) {
        const float w = weights[i];
        out[3 * i] = rest[3 * i] + w * dx;
        out[3 * i + 1] = rest[3 * i + 1];
        out[3 * i + 2] = rest[3 * i + 2] + w * dz;
    }
}

// The same into the buffer object `name`, mapped for writing. False when it could not be
// mapped or lost its contents while it was.
bool DisplaceIntoBuffer(const BufferFunctions& gl, GLuint name, const std::vector<float>& rest,
                        const std::vector<float>& weights, float dx, float dz) {
    if (weights.empty()) {
        return true;
    }
    gl.bindBuffer(GL_ARRAY_BUFFER, name);
    bool written = false;
    if (void* at = gl.mapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY)) {
        Displace(rest, weights, dx, dz, static_cast<float*>(at));
        written = gl.unmapBuffer(GL_ARRAY_BUFFER) == GL_TRUE;
    }
    gl.bindBuffer(GL_ARRAY_BUFFER, 0);
    return written;
}

} // namespace

void PrepareSway(MeshSway& sway, size_t barkVertices, size_t leafVertices, MeshDestination& to) {
    sway = MeshSway{};
    sway.built = true;
    sway.barkRest.resize(3 * barkVertices);
    sway.leafRest.resize(3 * leafVertices);
    sway.barkWeights.resize(2 * barkVertices);
    sway.leafWeights.resize(2 * leafVertices);
    to.barkPositions = sway.barkRest.data();
    to.leafPositions = sway.leafRest.data();
    to.barkWind = sway.barkWeights.data();
    to.leafWind = sway.leafWeights.data();
}

void FinishSway(MeshSway& sway) {
    KeepWeights(sway.barkWeights);
    KeepWeights(sway.leafWeights);
    const float height = HighestY(sway.leafRest, HighestY(sway.barkRest, 0.0f));
    sway.amplitude = WindAmplitude(height);
}

void TakeSway(MeshSway& sway, MeshPart& bark, MeshPart& leaves) {
    sway = MeshSway{};
    sway.built = true;
    sway.barkRest = bark.positions;
    sway.leafRest = leaves.positions;
    sway.barkWeights.swap(bark.wind);
    sway.leafWeights.swap(leaves.wind);
    FinishSway(sway);
}

void SwayTreeMesh(GlContextState& state, double seconds) {
    TreeMeshCache& cache = state.treeMesh;
    MeshSway& sway = cache.sway;
    if (!sway.built || sway.shownAt == seconds) {
        return;
    }
    const WindSway at = WindSwayAt(seconds);
    const float dx = static_cast<float>(sway.amplitude * at.x);
    const float dz = static_cast<float>(sway.amplitude * at.z);
    if (cache.inBuffers) {
        const bool bark = DisplaceIntoBuffer(state.buffers, cache.bark.positions, sway.barkRest,
                                             sway.barkWeights, dx, dz);
        const bool leaves = DisplaceIntoBuffer(state.buffers, cache.leaves.positions, sway.leafRest,
                                               sway.leafWeights, dx, dz);
        // What could not be written is tried again at the next frame.
        sway.shownAt = bark && leaves ? std::optional<double>(seconds) : std::nullopt;
        return;
    }
    Displace(sway.barkRest, sway.barkWeights, dx, dz, cache.mesh.bark.positions.data());
    Displace(sway.leafRest, sway.leafWeights, dx, dz, cache.mesh.leaves.positions.data());
    sway.shownAt = seconds;
}
