#include "render/Shadow.h"

#include <GL/gl.h>

#include "render/BranchMesh.h"
#include "render/GlContextState.h"

void BeginShadow(float angle, const TreeParams& params, GlContextState& state) {
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    state.modelView.Push();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Flattens the tree onto the ground: a point at height h lands at x = -L * h, keeping
    // its z after the turn by `angle`; its own x is dropped.
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    glScalef(0.0f, params.shadowLength, 1.0f);
    glRotatef(angle, 0.0f, 1.0f, 0.0f);
}

void EndShadow(GlContextState& state) {
    glDisable(GL_BLEND);
    state.modelView.Pop();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
}

FrameStats DrawModelShadow(const TreeModel& model, const TreeParams& params, float angle,
                           GlContextState& state) {
    BeginShadow(angle, params, state);
    state.shadowPass = true;
    const FrameStats stats = DrawChain(model.trunk, params, state);
    state.shadowPass = false;
    EndShadow(state);
    return stats;
}
