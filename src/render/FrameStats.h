#pragma once

#include "mesh/FrameStats.h"

// The counters of the frame being drawn.
extern FrameStats frameStats;

inline void ResetFrameStats() {
    frameStats = FrameStats{};
}
