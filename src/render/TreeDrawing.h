#pragma once

#include "model/TreeModel.h"

// The two passes a frame draws the tree in, the way the current context state's draw
// mode says (GlContextState::drawMode): from the cached tree mesh, rebuilt first when the
// model grew since it was built, or the reference walk of the structure. Both add one
// pass's statistics to the frame counters and leave the OpenGL state as they found it
// (lighting, depth test and texturing on, blending off, the matrix unchanged).

// The tree pass, in the current model-view frame (the tree's own frame).
void DrawTree(const TreeModel& model);

// The ground shadow: the tree flattened onto the ground plane, turned by `angle` degrees
// about the vertical, in translucent black ("Tree Shadow Length", "Brush Shad. Density"
// and "Leaf Shadow Density" read now, so changing them needs no rebuild).
void DrawTreeShadow(const TreeModel& model, float angle);

// Makes the current context's cache hold the mesh of `model` as it stands, building and
// uploading it only when the model grew since (another generation), is another model, or
// the side-branch scale changed. True when it built.
bool UpdateTreeMesh(const TreeModel& model);
