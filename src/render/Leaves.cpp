#include "render/Leaves.h"

#include <GL/gl.h>

#include "mesh/TreeGeometry.h"
#include "render/ApplyMaterial.h"
#include "render/GlContextState.h"
#include "render/Material.h"
#include "render/Texture.h"

FrameStats DrawLeaf(const Leaf& leaf, const TreeParams& params, GlContextState& state) {
    state.modelView.Push();
    const float s = LeafScale(leaf);
    glScalef(s, s, s);
    // Tilted about its own x axis first, then turned about the segment's axis.
    glRotatef(leaf.twist, 0.0f, 1.0f, 0.0f);
    glRotatef(leaf.angle, 1.0f, 0.0f, 0.0f);
    leafTexture.bind();
    ApplyMaterial(LeafMaterial(leaf.jitter), GL_FRONT_AND_BACK, state);
    const bool shadowPass = state.shadowPass;
    if (shadowPass) {
        glColor4f(0.0f, 0.0f, 0.0f, params.leafShadowDensity);
    } else {
        glColor3f(1.0f, 1.0f, 1.0f);
        // The leaf texture's alpha is low on the leaf and high on its background.
        glAlphaFunc(GL_LESS, 0.1f);
        glEnable(GL_ALPHA_TEST);
    }
    glBegin(GL_QUADS);
    for (const LeafCorner& corner : LeafQuad) {
        glNormal3fv(corner.normal);
        glTexCoord2fv(corner.tex);
        glVertex3fv(corner.position);
    }
    glEnd();
    if (!shadowPass) {
        glDisable(GL_ALPHA_TEST);
    }
    state.modelView.Pop();
    return LeafStats;
}
