#include "render/BranchMesh.h"

#include <GL/gl.h>

#include "model/Material.h"
#include "model/TreeParams.h"
#include "render/ApplyMaterial.h"
#include "render/FrameStats.h"
#include "render/Leaves.h"
#include "render/MatrixStack.h"
#include "render/Texture.h"

namespace {

// Moves the matrix from the bottom of `segment` to its top: the rotation comes first, so
// the translation runs along the bent axis.
void StepOver(const Segment& segment) {
    glRotatef(static_cast<float>(segment.expand), static_cast<float>(segment.sinTwist), 0.0f,
              static_cast<float>(segment.cosTwist));
    glTranslatef(0.0f, segment.length, 0.0f);
}

} // namespace

void DrawSegment(const Segment& segment, const Segment& below) {
    barkTexture.bind();
    ApplyMaterial(barkMaterial, GL_FRONT_AND_BACK);
    // Shows only in the shadow pass, which draws with lighting off.
    glColor4f(0.0f, 0.0f, 0.0f, treeParams.brushShadowDensity);
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
    frameStats += TubeStats;
}

void DrawChain(const Fork& chain) {
    const Segment* cur = chain.first.get();
    if (!cur) {
        return;
    }
    PushModelView();
    if (chain.parent) {
        DrawSegment(*cur, *chain.parent);
        StepOver(*cur);
    }
    while (const Segment* nxt = cur->next.get()) {
        if (cur->fork) {
            PushModelView();
            // Read at draw time: the scale is not stored in the structure.
            const float k = treeParams.sseScaleAttenuate;
            glScalef(k, k, k);
            DrawChain(*cur->fork);
            PopModelView();
        }
        if (cur->leaf) {
            DrawLeaf(*cur->leaf);
        }
        DrawSegment(*nxt, *cur);
        StepOver(*nxt);
        cur = nxt;
    }
    if (cur->leaf) {
        DrawLeaf(*cur->leaf);
    }
    PopModelView();
    frameStats += ChainStats;
}

void TreeModel::Draw() const {
    DrawChain(trunk);
}
