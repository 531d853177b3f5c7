#pragma once

#include <array>

#include "model/TreeModel.h"

// The top-ring corner (a, 0, b) of `segment`, expressed in the frame at the segment's
// bottom: the point (a, L, b) turned by the segment's expand angle about the axis
// (sin twist, 0, cos twist). Formed in double precision, returned as floats.
std::array<float, 3> TopRingVertex(const Segment& segment, float a, float b);

// Draws the hexagonal tube of `segment` as one quad strip. Its bottom ring has the
// cross-section of `below` and lies at the current origin; its top ring has the
// segment's own cross-section, bent and twisted the way the segment is.
void DrawSegment(const Segment& segment, const Segment& below);

// Draws a chain with all its tubes, side branches and leaves, leaving the model-view
// matrix as it found it. Without a parent the first segment only lends its ring to the
// second tube.
void DrawChain(const Fork& chain);
