#pragma once

#include <cstdint>

#include "model/Camera.h"

// Camera navigation: fixed steps on timer ticks, no dragging, no zoom.

// Timer ids of the viewer window, one per kind of timed navigation.
inline constexpr int KeyRepeatTimerId = 2025; // arrow-key repeat
inline constexpr int MoveTimerId = 2026;      // mouse flight
inline constexpr int SpinTimerId = 2027;      // auto spin

inline constexpr int NavigationPeriodMs = 10; // arrow repeat and mouse flight
inline constexpr int SpinPeriodMs = 50;

inline constexpr float MoveStepLength = 0.4f;
inline constexpr float ArrowAzimuthStep = 4.0f;
inline constexpr float ArrowElevationStep = 2.0f;
inline constexpr float SpinStepDegrees = 0.5f;

enum class MoveMode : int32_t { None = 0, Forward = 1, Backward = 2 };

// One flight step along the line of sight. Each offset moves only while it stays inside
// its range (-60 < y < -1.5, -130 <= z < -3.2); the other one goes on regardless.
void MoveStep(Camera& camera, MoveMode mode);

// One arrow-key step for `key` (left/right turn by 4 degrees, up/down tilt by 2).
// Returns false for any other key: nothing changes and no frame is due.
bool ArrowStep(Camera& camera, int32_t key);

// One auto-spin tick: half a degree more azimuth, never wrapped.
void SpinStep(Camera& camera);
