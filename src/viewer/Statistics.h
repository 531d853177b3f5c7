#pragma once

#include <string>

#include "mesh/FrameStats.h"
#include "model/Camera.h"

// The six-line read-out of a frame, lines separated by "\r\n": nodes and memory of the
// drawn records, the camera's elevation and position, vertices and quadrangles.
std::string FormatStatistics(const FrameStats& stats, const Camera& camera);
