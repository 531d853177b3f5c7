#include "render/MatrixStack.h"

#include <GL/gl.h>

#include <array>
#include <vector>

namespace {

int nesting = 0;
// Pushes OpenGL's stack could still take when the outermost push was made. Pushes at
// a nesting below this go to OpenGL, the rest to `spilled`.
int glRoom = 0;
// Matrices saved beyond OpenGL's stack. The vector keeps its capacity after pops, so
// drawing allocates only the first time a depth is reached.
std::vector<std::array<GLfloat, 16>> spilled;

} // namespace

void PushModelView() {
    if (nesting == 0) {
        // Asked once per outermost push, not on every push: the depth is counted from here.
        GLint depth = 1, maxDepth = 32;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &maxDepth);
        glRoom = maxDepth - depth;
    }
    if (nesting < glRoom) {
        glPushMatrix();
    } else {
        std::array<GLfloat, 16> m;
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        spilled.push_back(m);
    }
    ++nesting;
}

void PopModelView() {
    if (nesting == 0) {
        return;
    }
    --nesting;
    if (nesting < glRoom) {
        glPopMatrix();
    } else {
        glLoadMatrixf(spilled.back().data());
        spilled.pop_back();
    }
}

int ModelViewNesting() {
    return nesting;
}

int ModelViewSpilled() {
    return static_cast<int>(spilled.size());
}
