#include "export/ExportFrame.h"

ExportInfo ExportInfoOf(const TreeParams& params, uint32_t seed) {
    ExportInfo info;
    info.seed = seed;
    for (int row = 0; row < ParamCount; ++row) {
        info.parameters[row] = ParamValue(params, row);
    }
    return info;
}

std::string GeneratorName() {
    return std::string("Dendrova ") + DENDROVA_VERSION;
}
