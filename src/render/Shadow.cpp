#include "render/Shadow.h"

#include <GL/gl.h>

#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "render/BranchMesh.h"
#include "render/MatrixStack.h"

bool shadowPass = false;

void TreeModel::DrawShadow(float angle) const {
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    PushModelView();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Flattens the tree onto the ground: a point at height h lands at x = -L * h, keeping
    // its z after the turn by `angle`; its own x is dropped.
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    glScalef(0.0f, treeParams.shadowLength, 1.0f);
    glRotatef(angle, 0.0f, 1.0f, 0.0f);
    shadowPass = true;
    DrawChain(trunk);
    shadowPass = false;
    glDisable(GL_BLEND);
    PopModelView();
    // Switched back on unconditionally: this is the state between drawing routines.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
}
