#pragma once

// The ground shadow's set-up, shared by the immediate and the cached drawing: lighting,
// depth test and texturing off, blending on, and the model-view matrix pushed and turned
// into the flattening onto the ground (a tree point at height h lands at
// x = -"Tree Shadow Length" * h, keeping its z after the turn by `angle`).
void BeginShadow(float angle);
// Pops the matrix and switches back on what BeginShadow switched off, unconditionally:
// that is the state between drawing routines.
void EndShadow();
