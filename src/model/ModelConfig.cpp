#include "model/ModelConfig.h"

#include "model/ConfigFileIo.h"
#include "model/TreeParams.h"

void LoadModelConfig(WindowGeometry& geometry, Camera& camera, const std::string& path) {
    uint8_t bytes[ModelConfigRecordSize];
    const Result<size_t> size = ReadRegularFile(path, bytes, ModelConfigRecordSize);
    if (!size) {
        return;
    }
    const ModelConfigRecord record = DecodeModelConfigRecord(std::span(bytes, *size));
    ApplyModelConfigRecord(record, *size, geometry, camera, treeParams);
}

Result<> SaveModelConfig(const WindowGeometry& geometry, const Camera& camera,
                         const std::string& path) {
    ModelConfigRecord record{geometry, camera, {}};
    for (int row = 0; row < ParamCount; ++row) {
        record.params[row] = *ParamTable[row].value;
    }
    const auto bytes = record.Serialize();
    return WriteWholeFile(path, bytes.data(), bytes.size());
}
