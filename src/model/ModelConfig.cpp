#include "model/ModelConfig.h"

#include "model/ConfigFileIo.h"
#include "model/TreeParams.h"

void LoadModelConfig(WindowGeometry& geometry, Camera& camera, const std::string& path) {
    uint8_t bytes[ModelConfigRecordSize];
    const std::optional<size_t> size = ReadRegularFile(path, bytes, ModelConfigRecordSize);
    if (!size) {
        return;
    }
    const ModelConfigRecord record = DecodeModelConfigRecord(std::span(bytes, *size));
    ApplyModelConfigRecord(record, *size, geometry, camera, treeParams);
}

bool SaveModelConfig(const WindowGeometry& geometry, const Camera& camera, const std::string& path,
                     std::string* error) {
    ModelConfigRecord record{geometry, camera, {}};
    for (int row = 0; row < ParamCount; ++row) {
        record.params[row] = ParamValue(treeParams, row);
    }
    const auto bytes = record.Serialize();
    return ReplaceFileAtomically(path, bytes.data(), bytes.size(), error);
}
