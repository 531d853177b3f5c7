#pragma once

// The viewpoint: five single-precision floats in the order the parameter file stores them.
struct Camera {
    float x = 0.0f;           // stored and restored; not used for drawing
    float y = -11.7872f;      // vertical offset of the scene (minus the eye height)
    float z = -8.04298f;      // depth offset of the scene (minus the eye distance)
    float elevation = -10.0f; // tilt of the line of sight, degrees
    float azimuth = 19346.0f; // turn of the scene about the vertical axis, degrees
};

// The camera's values by index, in stored order (x, y, z, elevation, azimuth).
inline constexpr int CameraFieldCount = 5;
float& CameraValue(Camera& camera, int field);
// The value's name as a parameter file spells it ("x", ..., "azimuth").
const char* CameraFieldName(int field);
// What a value of `field` must be, for messages ("must be above -60 and below -1.5").
const char* CameraFieldRule(int field);

// The offsets the mouse flight keeps the eye within: -60 < y < -1.5 and -130 <= z < -3.2.
// NaN is outside both.
bool CameraYInRange(float y);
bool CameraZInRange(float z);

// The one rule for a camera value read from any file: every value must be finite, y and z
// within the flight's range (a stray offset would show an empty scene that no flight can
// leave), and an angle is turned into one round, which shows the same view. True when
// `value` of `field` is usable; it is then replaced by the value to use (-0 becomes +0, as
// the JSON file reads it back, so that both formats give the same camera). False leaves
// it unchanged.
bool TakeCameraValue(int field, float& value);

// The rule applied to every value of `camera`: -1 when all are usable (the camera then
// holds the values to use), otherwise the index of the first that is not (and `camera`
// is unchanged).
int TakeCamera(Camera& camera);

// `degrees` turned into [from, from + 360): the same direction, with full precision left
// for the small steps of the arrow keys and the spin. `degrees` must be finite.
float WrapDegrees(float degrees, float from);
