#include "render/BranchMesh.h"

#include <GL/gl.h>

#include "render/ApplyMaterial.h"
#include "render/GlContextState.h"
#include "render/Leaves.h"
#include "render/Material.h"
#include "render/Texture.h"

namespace {

// Moves the matrix from the bottom of `segment` to its top: the rotation comes first, so
// the translation runs along the bent axis.
void StepOver(const Segment& segment) {
    glRotatef(static_cast<float>(segment.expand), static_cast<float>(segment.sinTwist), 0.0f,
              static_cast<float>(segment.cosTwist));
    glTranslatef(0.0f, segment.length, 0.0f);
}

void DrawChainInto(const Fork& chain, const TreeParams& params, GlContextState& state,
                   FrameStats& stats) {
    const Segment* cur = chain.first.get();
    if (!cur) {
        return;
    }
    state.modelView.Push();
    if (chain.parent) {
        stats += DrawSegment(*cur, *chain.parent, params, state);
        StepOver(*cur);
    }
    while (const Segment* nxt = cur->next.get()) {
        if (cur->fork) {
            state.modelView.Push();
            // Read at draw time: the scale is not stored in the structure.
            const float k = params.sseScaleAttenuate;
            glScalef(k, k, k);
            DrawChainInto(*cur->fork, params, state, stats);
            state.modelView.Pop();
        }
        if (cur->leaf) {
            stats += DrawLeaf(*cur->leaf, params, state);
        }
        stats += DrawSegment(*nxt, *cur, params, state);
        StepOver(*nxt);
        cur = nxt;
    }
    if (cur->leaf) {
        stats += DrawLeaf(*cur->leaf, params, state);
    }
    state.modelView.Pop();
    stats += ChainStats;
}

} // namespace

FrameStats DrawSegment(const Segment& segment, const Segment& below, const TreeParams& params,
                       GlContextState& state) {
    barkTexture.bind();
    ApplyMaterial(BarkMaterial(), GL_FRONT_AND_BACK, state);
    // Shows only in the shadow pass, which draws with lighting off.
    glColor4f(0.0f, 0.0f, 0.0f, params.brushShadowDensity);
    glBegin(GL_QUAD_STRIP);
    for (const RingStep& step : RingSteps) {
        const auto [c, d] = RingCorner(step, below);
        const auto [a, b] = RingCorner(step, segment);
        const std::array<float, 3> top = TopRingVertex(segment, a, b);
        // Normals are left unnormalised: their length is the bottom ring's radius.
        glNormal3f(c, 0.0f, d);
        glTexCoord2f(step.s, 0.0f);
        glVertex3f(c, 0.0f, d);
        glNormal3f(c, 0.0f, d);
        glTexCoord2f(step.s, 1.0f);
        glVertex3f(top[0], top[1], top[2]);
    }
    glEnd();
    return TubeStats;
}

FrameStats DrawChain(const Fork& chain, const TreeParams& params, GlContextState& state) {
    FrameStats stats;
    DrawChainInto(chain, params, state, stats);
    return stats;
}

FrameStats DrawModel(const TreeModel& model, const TreeParams& params, GlContextState& state) {
    return DrawChain(model.trunk, params, state);
}
