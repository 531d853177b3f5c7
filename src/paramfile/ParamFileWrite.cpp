#include <cmath>
#include <string>

#include "model/ConfigFileIo.h"
#include "model/JsonText.h"
#include "paramfile/ParamFile.h"

namespace {

bool IsFinite(const Camera& c) {
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) &&
           std::isfinite(c.elevation) && std::isfinite(c.azimuth);
}

} // namespace

std::string ParamFileJson(const ParamFileContents& contents) {
    JsonWriter json(JsonWriter::Layout::Readable);
    json.BeginObject();
    for (int row = 0; row < ParamCount; ++row) {
        json.Key(ParamTable[row].name).Float(ParamValue(contents.params, row));
    }
    if (contents.seed)
        json.Key("seed").Integer(*contents.seed);
    // A camera the binary record carried in as not-a-number has no JSON spelling.
    if (contents.camera && IsFinite(*contents.camera)) {
        const Camera& c = *contents.camera;
        json.Key("camera").BeginObject();
        json.Key("x").Float(c.x).Key("y").Float(c.y).Key("z").Float(c.z);
        json.Key("elevation").Float(c.elevation).Key("azimuth").Float(c.azimuth);
        json.EndObject();
    }
    json.EndObject();
    return json.Text();
}

Result<> WriteParamFile(const std::string& path, const ParamFileContents& contents) {
    const std::string text = ParamFileJson(contents);
    return WriteWholeFile(path, text.data(), text.size());
}
