#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <string>

#include "model/ConfigFileIo.h"
#include "model/JsonText.h"
#include "model/ModelConfigRecord.h"
#include "model/ShownText.h"
#include "paramfile/ParamFile.h"

namespace {

constexpr const char* SeedKey = "seed";
constexpr const char* CameraKey = "camera";

Failure Refused(std::string reason) {
    return Failure{std::move(reason)};
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

Result<Camera> ReadCamera(const QJsonValue& value, std::vector<std::string>& ignored) {
    const Failure shape{
        "\"camera\" must be an object with the numbers x, y, z, elevation and azimuth"};
    if (!value.isObject()) {
        return shape;
    }
    Camera camera;
    const QJsonObject object = value.toObject();
    for (int field = 0; field < CameraFieldCount; ++field) {
        const QJsonValue member = object.value(QLatin1String(CameraFieldName(field)));
        if (!member.isDouble()) {
            return shape;
        }
        float v = static_cast<float>(member.toDouble());
        if (!TakeCameraValue(field, v)) {
            return Refused(
                Quoted(QStringLiteral("camera.") + QLatin1String(CameraFieldName(field))) + " " +
                CameraFieldRule(field));
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
    return camera;
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
Result<LoadedParamFile> ParseRecord(std::string_view bytes) {
    const Result<ModelConfigRecord> record =
        TakeModelConfigRecord(DecodeModelConfigRecord(std::span(
            reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<size_t>(bytes.size()))));
    if (!record)
        return record.Error();
    LoadedParamFile file;
    for (int row = 0; row < ParamCount; ++row)
        ParamValue(file.contents.params, row) = record->params[row];
    file.contents.camera = record->camera;
    file.geometry = record->geometry;
    return file;
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

Result<LoadedParamFile> ParseParamJson(std::string_view text) {
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

    LoadedParamFile result;
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
            const Result<Camera> camera = ReadCamera(value, result.ignored);
            if (!camera)
                return camera.Error();
            contents.camera = *camera;
        } else {
            result.ignored.push_back("unknown key " + Quoted(key) + " ignored");
        }
    }
    return result;
}

Result<LoadedParamFile> ParseParamFile(std::string_view bytes) {
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

Result<LoadedParamFile> ReadParamFile(const std::string& path) {
    // One byte more than the limit tells a file at the limit from a larger one.
    const Result<std::string> bytes = ReadNamedFile(path, MaxParamFileBytes + 1, false);
    if (!bytes)
        return Refused("cannot open " + QuotedText(path) + ": " + bytes.Error().message);
    return ParseParamFile(*bytes);
}
