#pragma once

#include <cstdint>

// What one frame drew, counted by the drawing routines and shown in the statistics.
struct FrameStats {
    int32_t memoryBytes = 0; // bytes of the records drawn
    int32_t nodes = 0;       // segments, leaves and chains drawn
    int32_t quadrangles = 0;
    int32_t vertices = 0;
};

extern FrameStats frameStats;

inline void ResetFrameStats() {
    frameStats = FrameStats{};
}
