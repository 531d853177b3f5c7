#pragma once

#include "mesh/FrameStats.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"

class GlContextState;

// The ground shadow's set-up, shared by the immediate and the cached drawing: lighting,
// depth test and texturing off, blending on, and the model-view matrix pushed (on the
// stack of `state`) and turned into the flattening onto the ground (a tree point at
// height h lands at x = -"Tree Shadow Length" * h, keeping its z after the turn by
// `angle`).
void BeginShadow(float angle, const TreeParams& params, GlContextState& state);
// Pops the matrix and switches back on what BeginShadow switched off, unconditionally:
// that is the state between drawing routines.
void EndShadow(GlContextState& state);

// The shadow pass of the reference drawing: the whole structure of `model` flattened onto
// the ground, branches in "Brush Shad. Density", leaves in "Leaf Shadow Density".
FrameStats DrawModelShadow(const TreeModel& model, const TreeParams& params, float angle,
                           GlContextState& state);
