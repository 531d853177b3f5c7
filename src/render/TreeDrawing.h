#pragma once

#include <optional>

#include "mesh/FrameStats.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"

class GlContextState;

// The two passes a frame draws the tree in, in the context of `state` and the way its
// draw mode says (GlContextState::drawMode): from the context's cached tree mesh, rebuilt
// first when the model grew since it was built (UpdateTreeMesh), or the reference walk of
// the structure. Both return one pass's statistics and leave the OpenGL state as they
// found it (lighting, depth test and texturing on, blending off, the matrix unchanged).
//
// `windSeconds` is the wind's sway time of the frame (seconds since the wind started; none:
// no wind, the tree at rest). While it blows the mesh sways (see MeshSway), in every draw
// mode: the reference walk has no sway weights, so then the mesh, from client memory, is
// drawn in its place, and it goes again with the first frame drawn without the wind.

// The tree pass, in the current model-view frame (the tree's own frame).
FrameStats DrawTree(const TreeModel& model, const TreeParams& params, GlContextState& state,
                    std::optional<double> windSeconds = std::nullopt);

// The ground shadow: the tree flattened onto the ground plane, turned by `angle` degrees
// about the vertical, in translucent black ("Tree Shadow Length", "Brush Shad. Density"
// and "Leaf Shadow Density" read now, so changing them needs no rebuild).
FrameStats DrawTreeShadow(const TreeModel& model, const TreeParams& params, float angle,
                          GlContextState& state, std::optional<double> windSeconds = std::nullopt);
