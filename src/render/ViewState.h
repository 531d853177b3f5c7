#pragma once

#include <cstdint>

// The fixed state every frame relies on (depth test, texturing, lighting with one
// directional light from the viewer's right), set once when the context is made.
void SetInitialGlState();

// The size handler's OpenGL part: the fixed frustum and a viewport over the client area.
// Leaves the projection matrix selected.
void ApplyProjection(int32_t clientWidth, int32_t clientHeight);
