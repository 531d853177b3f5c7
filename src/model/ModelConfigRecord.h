#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/Failure.h"
#include "model/Camera.h"
#include "model/TreeParams.h"

// The 96-byte little-endian record of the parameter file, and the rules for reading it.

inline constexpr int ModelConfigRecordSize = 96;
// The largest window side a file may give: no screen or OpenGL viewport is larger.
inline constexpr int32_t MaxWindowSide = 16384;

// Window placement remembered between runs.
struct WindowGeometry {
    int32_t windowWidth = 540;   // outer width of the viewer
    int32_t windowHeight = 350;  // outer height of the viewer
    int32_t windowMaximized = 0; // nonzero: the viewer was maximized
    int32_t panelLeft = 100;     // screen x of the control panel
    int32_t panelTop = 100;      // screen y of the control panel
    int32_t panelAutoClose = 0;  // the panel's auto-close check box
};

// The record as stored: byte offsets 0..23 geometry, 24..43 camera, 44..95 parameters.
struct ModelConfigRecord {
    WindowGeometry geometry;
    Camera camera;
    std::array<float, ParamCount> params{};

    std::array<uint8_t, ModelConfigRecordSize> Serialize() const;
};

// The record `bytes` hold, every value as stored and none judged. Bytes beyond the end of
// a shorter record read as zero; only the first 96 of a longer one count.
ModelConfigRecord DecodeModelConfigRecord(std::span<const uint8_t> bytes);

// The lenient reading of the program's own file: of the fields the first `size` bytes
// hold completely, each is taken on its own where its rule allows, and otherwise the value
// already in `geometry`, `camera` or `params` stays. The width is taken from 101 to
// MaxWindowSide, the height from 51 to MaxWindowSide, the other four integers as stored,
// the camera's values by TakeCameraValue and the parameters by TakeParamValue.
void ApplyModelConfigRecord(const ModelConfigRecord& record, size_t size, WindowGeometry& geometry,
                            Camera& camera, TreeParams& params);

// The strict reading of a record a user named: every field must be usable (the sides as
// above, the maximized flag and the panel's auto-close flag 0 or 1, the camera by
// TakeCameraValue, the parameters by TakeParamValue; the panel's position as stored).
// Gives the values to use, or fails in one line naming the first field that is not.
Result<ModelConfigRecord> TakeModelConfigRecord(const ModelConfigRecord& record);
