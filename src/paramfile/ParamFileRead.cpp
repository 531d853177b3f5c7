#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <string>

#include "model/ModelConfig.h"
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
    error = "\"camera\" must be an object with the numbers x, y, z, elevation and azimuth";
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    const std::pair<const char*, float*> members[] = {{"x", &camera.x},
                                                      {"y", &camera.y},
                                                      {"z", &camera.z},
                                                      {"elevation", &camera.elevation},
                                                      {"azimuth", &camera.azimuth}};
    for (const auto& [name, field] : members) {
        if (!FiniteFloat(object.value(QLatin1String(name)), *field))
            return false;
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString& key = it.key();
        const bool known = std::any_of(std::begin(members), std::end(members), [&](const auto& m) {
            return key == QLatin1String(m.first);
        });
        if (!known)
            ignored.push_back("unknown key " + Quoted("camera." + key) + " ignored");
    }
    error.clear();
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

// The 96-byte record, read by the same loader as the program's own parameter file.
// Its loader keeps the current value of every parameter outside its range; starting from
// not-a-number, which no row accepts, shows which ones those were.
ParamFileReadResult ReadRecord(const std::string& path) {
    const TreeParams current = treeParams;
    TreeParams unset;
    for (int row = 0; row < ParamCount; ++row)
        ParamValue(unset, row) = std::nanf("");
    treeParams = unset;
    WindowGeometry geometry;
    Camera camera;
    LoadModelConfig(geometry, camera, path);
    const TreeParams loaded = treeParams;
    treeParams = current;

    ParamFileReadResult result;
    for (int row = 0; row < ParamCount; ++row) {
        if (std::isnan(ParamValue(loaded, row))) {
            const ParamEntry& entry = ParamTable[row];
            return Refused("\"" + std::string(entry.name) + "\" in the 96-byte record is outside " +
                           "its range " + NumberText(entry.minimum) + " to " +
                           NumberText(entry.maximum));
        }
    }
    result.ok = true;
    result.contents.params = loaded;
    result.contents.camera = camera;
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

bool FileLooksLikeJson(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(4096);
    return LooksLikeJson(std::string_view(start.constData(), static_cast<size_t>(start.size())));
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
            if (!FiniteFloat(value, v) || !InParamRange(entry, v)) {
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

ParamFileReadResult ReadParamFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return Refused("cannot open \"" + path + "\": " + file.errorString().toStdString());
    // One byte more than the limit tells a file at the limit from a larger one.
    const QByteArray bytes = file.read(static_cast<qint64>(MaxParamFileBytes) + 1);
    if (file.error() != QFileDevice::NoError)
        return Refused("cannot read \"" + path + "\": " + file.errorString().toStdString());
    const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (view.size() > MaxParamFileBytes)
        return Refused("not a parameter file: larger than " +
                       std::to_string(MaxParamFileBytes / 1024) + " KB");
    if (LooksLikeJson(view))
        return ParseParamJson(view);
    if (view.size() == ModelConfigRecordSize) {
        // The record is read again by its loader, which a pipe cannot give twice.
        if (!QFileInfo(file).isFile())
            return Refused("not a parameter file: a 96-byte record must be a regular file");
        return ReadRecord(path);
    }
    return Refused("not a parameter file: neither JSON nor a " +
                   std::to_string(ModelConfigRecordSize) + "-byte record");
}
