#pragma once

#include <cstdint>

// Decides when the memory a much larger tree left free goes back to the system: once a
// regrowth has made the tree less than a quarter of the largest grown since the last
// return, the next frame (which remakes the mesh's buffers at the new size) is followed
// by a return. A drag that only grows the tree, or shrinks it a little, never pays for
// one.
class ShrinkTrim {
public:
    // A regrowth made a tree of `records` records.
    void Grown(int64_t records);
    // A frame was drawn: true when the free memory is to be returned now.
    bool Drawn();

private:
    int64_t largest_ = 0;
    int64_t current_ = 0;
    bool pending_ = false;
};
