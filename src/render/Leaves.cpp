#include "render/Leaves.h"

#include <GL/gl.h>

#include "mesh/TreeGeometry.h"
#include "model/Material.h"
#include "model/TreeParams.h"
#include "render/ApplyMaterial.h"
#include "render/FrameStats.h"
#include "render/GlContextState.h"
#include "render/MatrixStack.h"
#include "render/Texture.h"

void DrawLeaf(const Leaf& leaf) {
    PushModelView();
    const float s = LeafScale(leaf);
    glScalef(s, s, s);
    // Tilted about its own x axis first, then turned about the segment's axis.
    glRotatef(leaf.twist, 0.0f, 1.0f, 0.0f);
    glRotatef(leaf.angle, 1.0f, 0.0f, 0.0f);
    leafTexture.bind();
    const std::array<float, 4> ambient = LeafAmbient(leaf.jitter);
    SetAmbient(leafMaterial, ambient[0], ambient[1], ambient[2], ambient[3]);
    ApplyMaterial(leafMaterial, GL_FRONT_AND_BACK);
    const bool shadowPass = GlContextState::Current().shadowPass;
    if (shadowPass) {
        glColor4f(0.0f, 0.0f, 0.0f, treeParams.leafShadowDensity);
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
    PopModelView();
    frameStats += LeafStats;
}
