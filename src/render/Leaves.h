#pragma once

#include "mesh/FrameStats.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"

class GlContextState;

// Draws one leaf quad in the current frame (the top of its segment) and restores the
// matrix. In the shadow pass (GlContextState::shadowPass) it is a flat quad of "Leaf
// Shadow Density"; otherwise the leaf texture is cut out by the alpha test, lit with the
// leaf's own material (LeafMaterial of its factor). Returns what it drew.
FrameStats DrawLeaf(const Leaf& leaf, const TreeParams& params, GlContextState& state);
