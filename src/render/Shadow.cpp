#include "render/Shadow.h"

#include <GL/gl.h>

#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "render/BranchMesh.h"
#include "render/GlContextState.h"
#include "render/MatrixStack.h"

void BeginShadow(float angle) {
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
}

void EndShadow() {
    glDisable(GL_BLEND);
    PopModelView();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
}

void TreeModel::DrawShadow(float angle) const {
    BeginShadow(angle);
    bool& shadowPass = GlContextState::Current().shadowPass;
    shadowPass = true;
    DrawChain(trunk);
    shadowPass = false;
    EndShadow();
}
