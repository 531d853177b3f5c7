#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/Failure.h"

struct StillFrame;

// Still frames drawn one after another into one OpenGL context of their size, made for the
// first of them and kept, so that a series of frames (the cells of a contact sheet) pays
// for one context, its textures and its compiled drawing state instead of one each. Each
// picture is the one RenderStillFrame draws for its frame.
class StillFrameSeries {
public:
    StillFrameSeries();
    ~StillFrameSeries();
    StillFrameSeries(const StillFrameSeries&) = delete;
    StillFrameSeries& operator=(const StillFrameSeries&) = delete;

    // Draws `frame` and returns its RGBA pixels, the bottom row first, in `rgba`. A frame of
    // another size than the one before gets a context of its own. Fails when no OpenGL
    // context can be had.
    Result<> Draw(const StillFrame& frame, std::vector<uint8_t>& rgba);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};
