#include "viewer/Navigation.h"

#include <cmath>

#include "model/TreeParams.h"
#include "scene/KeyCodes.h"

void MoveStep(Camera& camera, MoveMode mode) {
    const double radians = static_cast<double>(camera.elevation) * static_cast<double>(DegToRad);
    float s = static_cast<float>(std::sin(radians) * MoveStepLength);
    float c = static_cast<float>(std::cos(radians) * MoveStepLength);
    if (mode == MoveMode::None) {
        return;
    }
    if (mode == MoveMode::Backward) {
        s = -s;
        c = -c;
    }
    // Each change is taken back on its own when it leaves the allowed range.
    camera.y += s;
    if (!CameraYInRange(camera.y)) {
        camera.y -= s;
    }
    camera.z += c;
    if (!CameraZInRange(camera.z)) {
        camera.z -= c;
    }
}

bool ArrowStep(Camera& camera, int32_t key) {
    switch (key) {
    case KeyLeft:
        camera.azimuth -= ArrowAzimuthStep;
        return true;
    case KeyUp:
        camera.elevation -= ArrowElevationStep;
        return true;
    case KeyRight:
        camera.azimuth += ArrowAzimuthStep;
        return true;
    case KeyDown:
        camera.elevation += ArrowElevationStep;
        return true;
    default:
        return false;
    }
}

void SpinStep(Camera& camera) {
    camera.azimuth += SpinStepDegrees;
}
