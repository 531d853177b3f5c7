#pragma once

// The viewpoint: five single-precision floats in the order the parameter file stores them.
struct Camera {
    float x = 0.0f;           // stored and restored; not used for drawing
    float y = -11.7872f;      // vertical offset of the scene (minus the eye height)
    float z = -8.04298f;      // depth offset of the scene (minus the eye distance)
    float elevation = -10.0f; // tilt of the line of sight, degrees
    float azimuth = 19346.0f; // turn of the scene about the vertical axis, degrees
};
