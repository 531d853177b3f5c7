#include "model/Camera.h"

#include <cmath>

bool CameraYInRange(float y) {
    return y > -60.0f && y < -1.5f;
}

bool CameraZInRange(float z) {
    return z >= -130.0f && z < -3.2f;
}

float WrapDegrees(float degrees, float from) {
    // fmod is exact, so a value already in range comes back unchanged.
    float wrapped = std::fmod(degrees, 360.0f);
    if (wrapped < from) {
        wrapped += 360.0f;
    } else if (wrapped >= from + 360.0f) {
        wrapped -= 360.0f;
    }
    // A remainder a hair below `from` can round up onto the upper end: the same direction.
    if (!(wrapped >= from && wrapped < from + 360.0f)) {
        wrapped = from;
    }
    return wrapped;
}
