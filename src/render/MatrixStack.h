#pragma once

// Saving and restoring the model-view matrix at any nesting depth. Side branches can
// nest deeper than OpenGL's own model-view stack (32 entries are all that is
// guaranteed); while that stack has room these use glPushMatrix/glPopMatrix, and beyond
// it they keep the matrix in memory and reload it on the way back. The model-view
// matrix must be the selected one.

// Saves the current model-view matrix.
void PushModelView();
// Restores the matrix saved by the matching PushModelView.
void PopModelView();

// How many PushModelView calls are outstanding.
int ModelViewNesting();
// How many of them are held in memory rather than on OpenGL's stack.
int ModelViewSpilled();
