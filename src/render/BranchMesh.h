#pragma once

#include "mesh/FrameStats.h"
#include "mesh/TreeGeometry.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"

class GlContextState;

// The reference drawing of the tree: its structure walked with the matrix stack, one call
// per vertex. Each function draws in the context whose state it is given and returns what
// it drew.

// Draws the hexagonal tube of `segment` as one quad strip. Its bottom ring has the
// cross-section of `below` and lies at the current origin; its top ring has the
// segment's own cross-section, bent and twisted the way the segment is.
FrameStats DrawSegment(const Segment& segment, const Segment& below, const TreeParams& params,
                       GlContextState& state);

// Draws a chain with all its tubes, side branches and leaves, leaving the model-view
// matrix as it found it. Without a parent the first segment only lends its ring to the
// second tube.
FrameStats DrawChain(const Fork& chain, const TreeParams& params, GlContextState& state);

// The tree pass of the reference drawing: the whole structure of `model`.
FrameStats DrawModel(const TreeModel& model, const TreeParams& params, GlContextState& state);
