#pragma once

#include "model/TreeModel.h"

// Draws one leaf quad in the current frame (the top of its segment) and restores the
// matrix. In the shadow pass it is a flat dark quad; otherwise the leaf texture is cut
// out by the alpha test.
void DrawLeaf(const Leaf& leaf);
