#pragma once

#include <cstddef>
#include <cstdint>

// Copies `count` pixels of three 8-bit channels from `from` to `to`, the first and the
// third channel of each exchanged: B, G, R pixels (BitmapPixels) become R, G, B and back.
// `to` may be `from` itself, for a swap in place.
void SwapRedAndBlue(const uint8_t* from, uint8_t* to, size_t count);
