#include <QByteArray>
#include <QString>

#include <charconv>
#include <cmath>
#include <string>

#include "model/ConfigFileIo.h"
#include "paramfile/ParamFile.h"

std::string NumberText(float value) {
    // In the rare case where the shortest float text would round differently when read
    // as a double and narrowed, the float's exact double value is written instead.
    char text[64];
    const auto shortest = std::to_chars(text, text + sizeof text, value);
    double parsed = 0.0;
    std::from_chars(text, shortest.ptr, parsed);
    if (static_cast<float>(parsed) == value)
        return std::string(text, shortest.ptr);
    const auto exact = std::to_chars(text, text + sizeof text, static_cast<double>(value));
    return std::string(text, exact.ptr);
}

namespace {

bool IsFinite(const Camera& c) {
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) &&
           std::isfinite(c.elevation) && std::isfinite(c.azimuth);
}

} // namespace

std::string ParamFileJson(const ParamFileContents& contents) {
    // The parameter names are fixed ASCII texts without quotes or backslashes, so they
    // are written as they are.
    std::string out = "{\n";
    for (int row = 0; row < ParamCount; ++row) {
        out += "    \"" + std::string(ParamTable[row].name) +
               "\": " + NumberText(ParamValue(contents.params, row)) + ",\n";
    }
    if (contents.seed)
        out += "    \"seed\": " + std::to_string(*contents.seed) + ",\n";
    // A camera the binary record carried in as not-a-number has no JSON spelling.
    if (contents.camera && IsFinite(*contents.camera)) {
        const Camera& c = *contents.camera;
        out += "    \"camera\": {\"x\": " + NumberText(c.x) + ", \"y\": " + NumberText(c.y) +
               ", \"z\": " + NumberText(c.z) + ", \"elevation\": " + NumberText(c.elevation) +
               ", \"azimuth\": " + NumberText(c.azimuth) + "},\n";
    }
    out.erase(out.size() - 2, 1); // the last entry has no comma
    out += "}\n";
    return out;
}

Result<> WriteParamFile(const std::string& path, const ParamFileContents& contents) {
    const std::string text = ParamFileJson(contents);
    return WriteWholeFile(path, text.data(), text.size());
}
