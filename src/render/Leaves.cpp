#include "render/Leaves.h"

#include <GL/gl.h>

#include "model/Material.h"
#include "model/TreeParams.h"
#include "render/ApplyMaterial.h"
#include "render/FrameStats.h"
#include "render/MatrixStack.h"
#include "render/Shadow.h"
#include "render/Texture.h"

void DrawLeaf(const Leaf& leaf) {
    PushModelView();
    const float s = leaf.size * leaf.jitter;
    glScalef(s, s, s);
    // Tilted about its own x axis first, then turned about the segment's axis.
    glRotatef(leaf.twist, 0.0f, 1.0f, 0.0f);
    glRotatef(leaf.angle, 1.0f, 0.0f, 0.0f);
    leafTexture.bind();
    // Larger leaves come out redder, smaller ones greener.
    const double b = (static_cast<double>(leaf.jitter) - 1.0) * 0.05;
    SetAmbient(leafMaterial, static_cast<float>(0.47 + b), static_cast<float>(0.552 - b), 0.0f,
               1.0f);
    ApplyMaterial(leafMaterial, GL_FRONT_AND_BACK);
    if (shadowPass) {
        glColor4f(0.0f, 0.0f, 0.0f, treeParams.leafShadowDensity);
    } else {
        glColor3f(1.0f, 1.0f, 1.0f);
        // The leaf texture's alpha is low on the leaf and high on its background.
        glAlphaFunc(GL_LESS, 0.1f);
        glEnable(GL_ALPHA_TEST);
    }
    glBegin(GL_QUADS);
    glNormal3f(1.0f, -1.0f, 1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(0.5f, 0.0f, 0.0f);
    glNormal3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(0.5f, 1.0f, 0.0f);
    glNormal3f(-1.0f, 1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-0.5f, 1.0f, 0.0f);
    glNormal3f(-1.0f, -1.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-0.5f, 0.0f, 0.0f);
    glEnd();
    if (!shadowPass) {
        glDisable(GL_ALPHA_TEST);
    }
    PopModelView();
    frameStats.quadrangles += 1;
    frameStats.vertices += 4;
    frameStats.nodes += 1;
    frameStats.memoryBytes += 16;
}
