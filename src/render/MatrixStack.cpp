#include "render/MatrixStack.h"

void ModelViewStack::Push() {
    if (nesting_ == 0) {
        // Asked once per outermost push, not on every push: the depth is counted from here.
        GLint depth = 1, maxDepth = 32;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &maxDepth);
        glRoom_ = maxDepth - depth;
    }
    if (nesting_ < glRoom_) {
        glPushMatrix();
    } else {
        std::array<GLfloat, 16> m;
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        spilled_.push_back(m);
    }
    ++nesting_;
}

void ModelViewStack::Pop() {
    if (nesting_ == 0) {
        return;
    }
    --nesting_;
    if (nesting_ < glRoom_) {
        glPopMatrix();
    } else {
        glLoadMatrixf(spilled_.back().data());
        spilled_.pop_back();
    }
}
