#pragma once

#include <GL/gl.h>

#include <array>
#include <vector>

// Saving and restoring the model-view matrix at any nesting depth, one stack per OpenGL
// context (GlContextState::modelView). Side branches can nest deeper than OpenGL's own
// model-view stack (32 entries are all that is guaranteed); while that stack has room
// these use glPushMatrix/glPopMatrix, and beyond it they keep the matrix in memory and
// reload it on the way back. The model-view matrix must be the selected one.
class ModelViewStack {
public:
    // Saves the current model-view matrix.
    void Push();
    // Restores the matrix saved by the matching Push.
    void Pop();

    // How many Push calls are outstanding.
    int Nesting() const { return nesting_; }
    // How many of them are held in memory rather than on OpenGL's stack.
    int Spilled() const { return static_cast<int>(spilled_.size()); }

private:
    int nesting_ = 0;
    // Pushes OpenGL's stack could still take when the outermost push was made. Pushes at
    // a nesting below this go to OpenGL, the rest to `spilled_`.
    int glRoom_ = 0;
    // Matrices saved beyond OpenGL's stack. The vector keeps its capacity after pops, so
    // drawing allocates only the first time a depth is reached.
    std::vector<std::array<GLfloat, 16>> spilled_;
};
