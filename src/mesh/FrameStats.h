#pragma once

#include <cstdint>

// What one frame drew, counted by the drawing routines and shown in the statistics.
struct FrameStats {
    int32_t memoryBytes = 0; // bytes of the records drawn
    int32_t nodes = 0;       // segments, leaves and chains drawn
    int32_t quadrangles = 0;
    int32_t vertices = 0;

    FrameStats& operator+=(const FrameStats& other) {
        memoryBytes += other.memoryBytes;
        nodes += other.nodes;
        quadrangles += other.quadrangles;
        vertices += other.vertices;
        return *this;
    }
    bool operator==(const FrameStats&) const = default;
};

// What drawing one record adds: a tube, a leaf, a chain (its own record).
inline constexpr FrameStats TubeStats{80, 1, 6, 12};
inline constexpr FrameStats LeafStats{16, 1, 1, 4};
inline constexpr FrameStats ChainStats{16, 1, 0, 0};
