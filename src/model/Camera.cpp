#include "model/Camera.h"

#include <cmath>

float& CameraValue(Camera& camera, int field) {
    float* const values[CameraFieldCount] = {&camera.x, &camera.y, &camera.z, &camera.elevation,
                                             &camera.azimuth};
    return *values[field];
}

const char* CameraFieldName(int field) {
    static const char* const names[CameraFieldCount] = {"x", "y", "z", "elevation", "azimuth"};
    return names[field];
}

const char* CameraFieldRule(int field) {
    if (field == 1) {
        return "must be above -60 and below -1.5";
    }
    if (field == 2) {
        return "must be from -130 to below -3.2";
    }
    return "must be a finite number";
}

bool CameraYInRange(float y) {
    return y > -60.0f && y < -1.5f;
}

bool CameraZInRange(float z) {
    return z >= -130.0f && z < -3.2f;
}

bool TakeCameraValue(int field, float& value) {
    if (!std::isfinite(value)) {
        return false;
    }
    float taken = value;
    if (field == 1 && !CameraYInRange(taken)) {
        return false;
    }
    if (field == 2 && !CameraZInRange(taken)) {
        return false;
    }
    if (field == 3) {
        taken = WrapDegrees(taken, -180.0f);
    } else if (field == 4) {
        taken = WrapDegrees(taken, 0.0f);
    }
    // -0 + 0 is +0; every other value stays as it is.
    value = taken + 0.0f;
    return true;
}

int TakeCamera(Camera& camera) {
    Camera taken = camera;
    for (int field = 0; field < CameraFieldCount; ++field) {
        if (!TakeCameraValue(field, CameraValue(taken, field))) {
            return field;
        }
    }
    camera = taken;
    return -1;
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
