#include "model/ModelConfig.h"

#include "model/ConfigFileIo.h"
#include "model/TreeParams.h"

std::optional<ModelConfigRead> LoadModelConfig(const std::string& path) {
    uint8_t bytes[ModelConfigRecordSize];
    const Result<size_t> size = ReadRegularFile(path, bytes, ModelConfigRecordSize);
    if (!size) {
        return std::nullopt;
    }
    return ModelConfigRead{DecodeModelConfigRecord(std::span(bytes, *size)), *size};
}

Result<> SaveModelConfig(const WindowGeometry& geometry, const Camera& camera,
                         const TreeParams& params, const std::string& path) {
    ModelConfigRecord record{geometry, camera, {}};
    for (int row = 0; row < ParamCount; ++row) {
        record.params[row] = ParamValue(params, row);
    }
    const auto bytes = record.Serialize();
    return WriteWholeFile(path, bytes.data(), bytes.size());
}
