#pragma once

#include "model/Camera.h"

class TreeModel;
struct TreeMesh;
struct TreeParams;

// A box in the tree's own frame (the foot of the trunk at the origin, +y up).
struct TreeBox {
    float min[3] = {0.0f, 0.0f, 0.0f};
    float max[3] = {0.0f, 0.0f, 0.0f};
};

// The box around every vertex of `mesh` (bark and leaves); all zero for an empty mesh.
TreeBox MeshBox(const TreeMesh& mesh);

// The camera that shows the whole of `box` and of its shadow ("Tree Shadow Length"
// `shadowLength`) in a frame of height/width `aspect`, seen from the azimuth of `from`: the
// nearest eye distance at which both fit, over tilts from 10 degrees up to 30 down (the
// eye's height is bounded, so the tilt decides how near it can come), centred vertically.
// The offsets stay within the mouse flight's range; a tree too large for it gets the
// farthest view.
Camera FrameTree(const TreeBox& box, float shadowLength, const Camera& from, double aspect);

// The same for the tree grown as `model` with `params`: its bounds come from a mesh built
// here, without indices (the drawn one lives in the context's buffers).
Camera FrameTree(const TreeModel& model, const TreeParams& params, const Camera& from,
                 double aspect);

// The corners of `box` and of its shadow on the ground, as the frame draws them, seen by
// `camera`: true when every one is inside the view (with `margin` of it to spare).
bool TreeInView(const TreeBox& box, float shadowLength, const Camera& camera, double aspect,
                double margin = 1.0);
