#include "model/ModelConfigRecord.h"

#include <algorithm>
#include <bit>
#include <charconv>

namespace {

// The index of each 4-byte field, as the record stores them.
constexpr int FirstCameraField = 6;
constexpr int FirstParamField = FirstCameraField + CameraFieldCount;

void PutU32(uint8_t* at, uint32_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
    at[2] = static_cast<uint8_t>(v >> 16);
    at[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t GetU32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

int32_t* GeometryField(WindowGeometry& g, int field) {
    int32_t* const fields[6] = {&g.windowWidth, &g.windowHeight, &g.windowMaximized,
                                &g.panelLeft,   &g.panelTop,     &g.panelAutoClose};
    return fields[field];
}

// The smallest and largest value each integer may hold when it is checked at all.
struct IntRule {
    const char* name;
    int32_t minimum;
    int32_t maximum;
    bool checked;
};

constexpr IntRule IntRules[6] = {
    {"window width", 101, MaxWindowSide, true},
    {"window height", 51, MaxWindowSide, true},
    {"window maximized", 0, 1, true},
    {"panel left", 0, 0, false},
    {"panel top", 0, 0, false},
    {"panel auto-close", 0, 1, true},
};

bool IntInRange(const IntRule& rule, int32_t v) {
    return !rule.checked || (rule.minimum <= v && v <= rule.maximum);
}

std::string Text(float v) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

std::string InRecord(const std::string& name) {
    return "\"" + name + "\" in the 96-byte record ";
}

} // namespace

std::array<uint8_t, ModelConfigRecordSize> ModelConfigRecord::Serialize() const {
    std::array<uint8_t, ModelConfigRecordSize> out{};
    WindowGeometry g = geometry;
    for (int i = 0; i < 6; ++i) {
        PutU32(out.data() + 4 * i, static_cast<uint32_t>(*GeometryField(g, i)));
    }
    Camera c = camera;
    for (int i = 0; i < CameraFieldCount; ++i) {
        PutU32(out.data() + 4 * (FirstCameraField + i), std::bit_cast<uint32_t>(CameraValue(c, i)));
    }
    for (int i = 0; i < ParamCount; ++i) {
        PutU32(out.data() + 4 * (FirstParamField + i), std::bit_cast<uint32_t>(params[i]));
    }
    return out;
}

ModelConfigRecord DecodeModelConfigRecord(std::span<const uint8_t> bytes) {
    uint8_t padded[ModelConfigRecordSize] = {};
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), ModelConfigRecordSize), padded);
    ModelConfigRecord record;
    for (int i = 0; i < 6; ++i) {
        *GeometryField(record.geometry, i) = static_cast<int32_t>(GetU32(padded + 4 * i));
    }
    for (int i = 0; i < CameraFieldCount; ++i) {
        CameraValue(record.camera, i) =
            std::bit_cast<float>(GetU32(padded + 4 * (FirstCameraField + i)));
    }
    for (int i = 0; i < ParamCount; ++i) {
        record.params[i] = std::bit_cast<float>(GetU32(padded + 4 * (FirstParamField + i)));
    }
    return record;
}

void ApplyModelConfigRecord(const ModelConfigRecord& record, size_t size, WindowGeometry& geometry,
                            Camera& camera, TreeParams& params) {
    // A field counts only when the bytes hold all four of its bytes.
    const size_t held = std::min<size_t>(size, ModelConfigRecordSize) / 4;
    WindowGeometry stored = record.geometry;
    for (int i = 0; i < 6 && static_cast<size_t>(i) < held; ++i) {
        const int32_t v = *GeometryField(stored, i);
        // Only the sides are judged here; the flags are taken as the file has them.
        if (i >= 2 || IntInRange(IntRules[i], v)) {
            *GeometryField(geometry, i) = v;
        }
    }
    Camera storedCamera = record.camera;
    for (int i = 0; i < CameraFieldCount && static_cast<size_t>(FirstCameraField + i) < held; ++i) {
        float v = CameraValue(storedCamera, i);
        if (TakeCameraValue(i, v)) {
            CameraValue(camera, i) = v;
        }
    }
    for (int row = 0; row < ParamCount && static_cast<size_t>(FirstParamField + row) < held;
         ++row) {
        float v = record.params[row];
        if (TakeParamValue(row, v)) {
            ParamValue(params, row) = v;
        }
    }
}

Result<ModelConfigRecord> TakeModelConfigRecord(const ModelConfigRecord& record) {
    ModelConfigRecord taken = record;
    for (int i = 0; i < 6; ++i) {
        if (!IntInRange(IntRules[i], *GeometryField(taken.geometry, i))) {
            const IntRule& rule = IntRules[i];
            return Failure{InRecord(rule.name) + "is outside its range " +
                           std::to_string(rule.minimum) + " to " + std::to_string(rule.maximum)};
        }
    }
    const int camera = TakeCamera(taken.camera);
    if (camera >= 0) {
        return Failure{InRecord(std::string("camera.") + CameraFieldName(camera)) +
                       CameraFieldRule(camera)};
    }
    for (int row = 0; row < ParamCount; ++row) {
        if (!TakeParamValue(row, taken.params[row])) {
            const ParamEntry& entry = ParamTable[row];
            return Failure{InRecord(entry.name) + "is outside its range " + Text(entry.minimum) +
                           " to " + Text(entry.maximum)};
        }
    }
    return taken;
}
