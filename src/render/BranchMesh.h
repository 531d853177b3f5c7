#pragma once

#include "mesh/TreeGeometry.h"
#include "model/TreeModel.h"

// Draws the hexagonal tube of `segment` as one quad strip. Its bottom ring has the
// cross-section of `below` and lies at the current origin; its top ring has the
// segment's own cross-section, bent and twisted the way the segment is.
void DrawSegment(const Segment& segment, const Segment& below);

// Draws a chain with all its tubes, side branches and leaves, leaving the model-view
// matrix as it found it. Without a parent the first segment only lends its ring to the
// second tube.
void DrawChain(const Fork& chain);
