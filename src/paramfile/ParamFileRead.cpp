#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <string>

#include "model/ConfigFileIo.h"
#include "model/ModelConfigRecord.h"
#include "model/ShownText.h"
#include "paramfile/ParamFile.h"

namespace {

constexpr const char* SeedKey = "seed";
constexpr const char* CameraKey = "camera";

ParamFileReadResult Refused(std::string reason) {
    ParamFileReadResult result;
    result.error = std::move(reason);
    return result;
}

std::string Quoted(const QString& key) {
    // Keys come from the file: keep the message on one line whatever they hold.
    QString shown = key.left(60);
    for (QChar& c : shown) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    return "\"" + shown.toStdString() + (key.size() > 60 ? "...\"" : "\"");
}

int RowNamed(const QString& name) {
    for (int row = 0; row < ParamCount; ++row) {
        if (name == QLatin1String(ParamTable[row].name))
            return row;
    }
    return -1;
}

// A JSON number that is still finite once narrowed to float.
bool FiniteFloat(const QJsonValue& value, float& out) {
    if (!value.isDouble())
        return false;
    out = static_cast<float>(value.toDouble());
    return std::isfinite(out);
}

bool ReadCamera(const QJsonValue& value, Camera& camera, std::string& error,
                std::vector<std::string>& ignored) {
    const char* const shape =
        "\"camera\" must be an object with the numbers x, y, z, elevation and azimuth";
    if (!value.isObject()) {
        error = shape;
        return false;
    }
    const QJsonObject object = value.toObject();
    for (int field = 0; field < CameraFieldCount; ++field) {
        const QJsonValue member = object.value(QLatin1String(CameraFieldName(field)));
        if (!member.isDouble()) {
            error = shape;
            return false;
        }
        float v = static_cast<float>(member.toDouble());
        if (!TakeCameraValue(field, v)) {
            error = Quoted(QStringLiteral("camera.") + QLatin1String(CameraFieldName(field))) +
                    " " + CameraFieldRule(field);
            return false;
        }
        CameraValue(camera, field) = v;
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString& key = it.key();
        bool known = false;
        for (int field = 0; field < CameraFieldCount; ++field)
            known = known || key == QLatin1String(CameraFieldName(field));
        if (!known)
            ignored.push_back("unknown key " + Quoted("camera." + key) + " ignored");
    }
    return true;
}

bool ReadSeed(const QJsonValue& value, uint32_t& seed) {
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (!(d >= 0.0 && d <= 4294967295.0) || d != std::floor(d))
        return false;
    seed = static_cast<uint32_t>(d);
    return true;
}

// The 96-byte record, every field of which must be in range.
ParamFileReadResult ParseRecord(std::string_view bytes) {
    ModelConfigRecord record = DecodeModelConfigRecord(std::span(
        reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<size_t>(bytes.size())));
    const std::string fault = TakeModelConfigRecord(record);
    if (!fault.empty())
        return Refused(fault);
    ParamFileReadResult result;
    result.ok = true;
    for (int row = 0; row < ParamCount; ++row)
        ParamValue(result.contents.params, row) = record.params[row];
    result.contents.camera = record.camera;
    result.geometry = record.geometry;
    return result;
}

} // namespace

bool LooksLikeJson(std::string_view bytes) {
    // JSON text never holds a zero byte, and the 96-byte record always does (the high
    // bytes of its small integers), even when its first byte happens to be a brace
    // (a window 891 pixels wide starts with 0x7B).
    if (bytes.find('\0') != std::string_view::npos)
        return false;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const size_t first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && bytes[first] == '{';
}

ParamFileReadResult ParseParamJson(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return Refused("not valid JSON: " + parseError.errorString().toStdString() + " at byte " +
                       std::to_string(parseError.offset));
    }
    if (!document.isObject())
        return Refused("not a parameter file: the JSON is not an object");

    ParamFileReadResult result;
    ParamFileContents& contents = result.contents;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString& key = it.key();
        const QJsonValue value = it.value();
        const int row = RowNamed(key);
        if (row >= 0) {
            const ParamEntry& entry = ParamTable[row];
            float v = 0.0f;
            if (!value.isDouble())
                return Refused(Quoted(key) + " must be a number");
            if (!FiniteFloat(value, v) || !TakeParamValue(row, v)) {
                return Refused(Quoted(key) + " is outside its range " + NumberText(entry.minimum) +
                               " to " + NumberText(entry.maximum));
            }
            ParamValue(contents.params, row) = v;
        } else if (key == QLatin1String(SeedKey)) {
            uint32_t seed = 0;
            if (!ReadSeed(value, seed))
                return Refused("\"seed\" must be a whole number from 0 to 4294967295");
            contents.seed = seed;
        } else if (key == QLatin1String(CameraKey)) {
            Camera camera;
            std::string error;
            if (!ReadCamera(value, camera, error, result.ignored))
                return Refused(error);
            contents.camera = camera;
        } else {
            result.ignored.push_back("unknown key " + Quoted(key) + " ignored");
        }
    }
    result.ok = true;
    return result;
}

ParamFileReadResult ParseParamFile(std::string_view bytes) {
    if (bytes.size() > MaxParamFileBytes)
        return Refused("not a parameter file: larger than " +
                       std::to_string(MaxParamFileBytes / 1024) + " KB");
    if (LooksLikeJson(bytes))
        return ParseParamJson(bytes);
    if (bytes.size() == ModelConfigRecordSize)
        return ParseRecord(bytes);
    return Refused("not a parameter file: neither a JSON object nor a " +
                   std::to_string(ModelConfigRecordSize) + "-byte record");
}

ParamFileReadResult ReadParamFile(const std::string& path) {
    std::string reason;
    // One byte more than the limit tells a file at the limit from a larger one.
    const std::optional<std::string> bytes =
        ReadNamedFile(path, MaxParamFileBytes + 1, false, &reason);
    if (!bytes)
        return Refused("cannot open \"" + EscapedText(path) + "\": " + reason);
    return ParseParamFile(*bytes);
}
