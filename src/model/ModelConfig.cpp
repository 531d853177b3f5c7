#include "model/ModelConfig.h"

#include <bit>
#include <cmath>

#include "model/ConfigFileIo.h"
#include "model/TreeParams.h"

namespace {

void PutU32(uint8_t* at, uint32_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
    at[2] = static_cast<uint8_t>(v >> 16);
    at[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t GetU32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

// Reads the fields a possibly short record holds completely.
class RecordReader {
public:
    RecordReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

    bool ReadInt(size_t offset, int32_t& field) const {
        if (offset + 4 > size_) {
            return false;
        }
        field = static_cast<int32_t>(GetU32(bytes_ + offset));
        return true;
    }
    // Only a value the predicate accepts replaces the field.
    template <typename Accept> void ReadIntIf(size_t offset, int32_t& field, Accept accept) const {
        int32_t v;
        if (ReadInt(offset, v) && accept(v)) {
            field = v;
        }
    }
    bool ReadFloat(size_t offset, float& out) const {
        if (offset + 4 > size_) {
            return false;
        }
        out = std::bit_cast<float>(GetU32(bytes_ + offset));
        return true;
    }

private:
    const uint8_t* bytes_;
    size_t size_;
};

} // namespace

std::array<uint8_t, ModelConfigRecordSize> ModelConfigRecord::Serialize() const {
    std::array<uint8_t, ModelConfigRecordSize> out{};
    const int32_t ints[6] = {geometry.windowWidth, geometry.windowHeight, geometry.windowMaximized,
                             geometry.panelLeft,   geometry.panelTop,     geometry.panelAutoClose};
    for (int i = 0; i < 6; ++i) {
        PutU32(out.data() + 4 * i, static_cast<uint32_t>(ints[i]));
    }
    const float cam[5] = {camera.x, camera.y, camera.z, camera.elevation, camera.azimuth};
    for (int i = 0; i < 5; ++i) {
        PutU32(out.data() + 24 + 4 * i, std::bit_cast<uint32_t>(cam[i]));
    }
    for (int i = 0; i < 13; ++i) {
        PutU32(out.data() + 44 + 4 * i, std::bit_cast<uint32_t>(params[i]));
    }
    return out;
}

void LoadModelConfig(WindowGeometry& geometry, Camera& camera, const std::string& path) {
    uint8_t bytes[ModelConfigRecordSize];
    const std::optional<size_t> size = ReadRegularFile(path, bytes, ModelConfigRecordSize);
    if (!size) {
        return;
    }
    const RecordReader in(bytes, *size);
    in.ReadIntIf(0, geometry.windowWidth, [](int32_t v) { return v > 100; });
    in.ReadIntIf(4, geometry.windowHeight, [](int32_t v) { return v > 50; });
    in.ReadInt(8, geometry.windowMaximized);
    in.ReadInt(12, geometry.panelLeft);
    in.ReadInt(16, geometry.panelTop);
    in.ReadInt(20, geometry.panelAutoClose);
    // A camera value counts only where the navigation could have brought it: a stray one
    // would otherwise show an empty scene that no flight can leave. Angles are turned
    // into one round, which shows the same view.
    float v;
    if (in.ReadFloat(24, v) && std::isfinite(v)) {
        camera.x = v;
    }
    if (in.ReadFloat(28, v) && CameraYInRange(v)) {
        camera.y = v;
    }
    if (in.ReadFloat(32, v) && CameraZInRange(v)) {
        camera.z = v;
    }
    if (in.ReadFloat(36, v) && std::isfinite(v)) {
        camera.elevation = WrapDegrees(v, -180.0f);
    }
    if (in.ReadFloat(40, v) && std::isfinite(v)) {
        camera.azimuth = WrapDegrees(v, 0.0f);
    }
    for (int row = 0; row < ParamCount; ++row) {
        if (in.ReadFloat(44 + 4 * row, v) && InParamRange(ParamTable[row], v)) {
            *ParamTable[row].value = v;
        }
    }
}

bool SaveModelConfig(const WindowGeometry& geometry, const Camera& camera, const std::string& path,
                     std::string* error) {
    ModelConfigRecord record{geometry, camera, {}};
    for (int row = 0; row < ParamCount; ++row) {
        record.params[row] = *ParamTable[row].value;
    }
    const auto bytes = record.Serialize();
    return ReplaceFileAtomically(path, bytes.data(), bytes.size(), error);
}
