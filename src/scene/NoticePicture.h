#pragma once

#include <cstdint>
#include <vector>

// A short notice laid over the frame for a few seconds (what P or E saved, or why not):
// a picture made elsewhere, drawn as it is, blended by its alpha.
struct NoticePicture {
    std::vector<uint8_t> rgba; // straight alpha, rows from the bottom up
    int32_t width = 0;
    int32_t height = 0;
    // Its lower-left corner in window pixels, from the window's lower-left corner.
    int32_t left = 0;
    int32_t bottom = 0;
};

// Draws `notice` over whatever the frame holds, without depth test, lighting or
// texturing, and leaves the state as the other drawing expects it (depth test, lighting
// and texturing on, blending off, the model-view matrix selected and unchanged).
void DrawNotice(const NoticePicture& notice);
