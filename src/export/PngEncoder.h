#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/Failure.h"

// A picture as rows of 8-bit channels, the top row first.
struct RasterImage {
    int width = 0;
    int height = 0;
    int channels = 3; // 3: R, G, B; 4: R, G, B, A
    std::vector<uint8_t> pixels;
};

// The picture read back from OpenGL (RGBA rows, the bottom row first) as an RGB image.
RasterImage FromGlReadback(const std::vector<uint8_t>& rgbaBottomUp, int width, int height);

// PNG bytes of `image`, with optional text entries (key, value) such as the seed, its
// pixels compressed at zlib's `level` (1, the fastest, to 9, the smallest; -1 its default).
Result<std::string> EncodePng(const RasterImage& image,
                              const std::vector<std::pair<std::string, std::string>>& text = {},
                              int level = -1);
