#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/Camera.h"

// The parameter file: one 96-byte little-endian record in the current directory.
inline constexpr const char* ModelConfigFileName = "TreeModl.Cfg";
inline constexpr int ModelConfigRecordSize = 96;

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
    std::array<float, 13> params{};

    std::array<uint8_t, ModelConfigRecordSize> Serialize() const;
};

// Reads the file at `path` into geometry, camera and treeParams, keeping what the file
// does not validly hold. Only a regular file is read, without ever blocking; anything
// else counts as no file. Silent on every failure.
void LoadModelConfig(WindowGeometry& geometry, Camera& camera,
                     const std::string& path = ModelConfigFileName);

// Writes geometry, camera and treeParams to `path` (to the file it links to, if it is a
// symbolic link). The old file is replaced atomically through a new file beside it, so a
// failed write leaves it intact. Returns whether the new file is in place; if not,
// `error` (when given) says why, in one line naming the file.
bool SaveModelConfig(const WindowGeometry& geometry, const Camera& camera,
                     const std::string& path = ModelConfigFileName, std::string* error = nullptr);
