#pragma once

#include <cstdint>

// Key codes the viewer's filter works with: arrows as on a PC keyboard, letters as
// upper-case ASCII. The lower-case letters are what a click on an on-screen button sends.
inline constexpr int32_t KeyLeft = 0x25;
inline constexpr int32_t KeyUp = 0x26;
inline constexpr int32_t KeyRight = 0x27;
inline constexpr int32_t KeyDown = 0x28;
