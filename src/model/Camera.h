#pragma once

// The viewpoint: five single-precision floats in the order the parameter file stores them.
struct Camera {
    float x = 0.0f;           // stored and restored; not used for drawing
    float y = -11.7872f;      // vertical offset of the scene (minus the eye height)
    float z = -8.04298f;      // depth offset of the scene (minus the eye distance)
    float elevation = -10.0f; // tilt of the line of sight, degrees
    float azimuth = 19346.0f; // turn of the scene about the vertical axis, degrees
};

// The offsets the mouse flight keeps the eye within: -60 < y < -1.5 and -130 <= z < -3.2.
// NaN is outside both.
bool CameraYInRange(float y);
bool CameraZInRange(float z);

// `degrees` turned into [from, from + 360): the same direction, with full precision left
// for the small steps of the arrow keys and the spin. `degrees` must be finite.
float WrapDegrees(float degrees, float from);
