#include "render/FrameStats.h"

FrameStats frameStats;
