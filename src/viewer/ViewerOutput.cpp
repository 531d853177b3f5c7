#include "viewer/ViewerOutput.h"

#include <QFile>

#include <filesystem>
#include <system_error>

#include "export/FileOutput.h"
#include "export/SessionOutput.h"
#include "model/TreeSession.h"

std::string FreeOutputName(const std::string& folder, uint32_t seed, const char* extension) {
    const std::filesystem::path dir(folder);
    std::error_code ec;
    for (uint64_t n = 1;; ++n) {
        const std::string name =
            "dendrova-seed" + std::to_string(seed) + "-" + std::to_string(n) + extension;
        // The name itself, not what a link there leads to: a link, even a broken one,
        // holds its name.
        if (!std::filesystem::exists(std::filesystem::symlink_status(dir / name, ec))) {
            return (dir / name).string();
        }
    }
}

namespace {

// P and E try this many free names at most, so that a folder where every name found free
// is taken at once cannot hold the viewer for ever.
constexpr int MaxOutputNameAttempts = 100;

// Writes what `add` adds under the first free name for `extension`, as a new file only:
// a name another program takes between the search and the write moves on to the next
// free one, nothing is ever replaced. The path tried last goes to `path`.
Result<> WriteUnderFreeName(const std::string& folder, uint32_t seed, const char* extension,
                            const std::function<Result<>(const std::string&, PendingFiles&)>& add,
                            std::string& path) {
    Result<> result;
    for (int attempt = 0; attempt < MaxOutputNameAttempts; ++attempt) {
        path = FreeOutputName(folder, seed, extension);
        PendingFiles files({FilePlacement::CreateNew, {}});
        result = add(path, files);
        if (result) {
            result = files.PlaceAll();
        }
        if (!NameTakenMeanwhile(result, path)) {
            break;
        }
    }
    return result;
}

} // namespace

ViewerOutput::ViewerOutput(std::function<void()> redraw) : notice_(std::move(redraw)) {}

bool ViewerOutput::SavePicture(const std::vector<uint8_t>& rgba, int width, int height,
                               uint32_t seed) {
    std::string path;
    const Result<> result = WriteUnderFreeName(
        folder_, seed, ".png",
        [&](const std::string& name, PendingFiles& files) {
            return AddFramePicture(name, rgba, width, height, seed, files);
        },
        path);
    return Report(path, result);
}

bool ViewerOutput::ExportTree(const TreeSession& session) {
    std::string path;
    const Result<> result = WriteUnderFreeName(
        folder_, session.seed(), ".glb",
        [&](const std::string& name, PendingFiles& files) {
            return AddTreeExport(name, session, files);
        },
        path);
    return Report(path, result);
}

bool ViewerOutput::Report(const std::string& path, const Result<>& written) {
    if (!written) {
        notice_.Show(
            QStringLiteral("Not saved: ") + QString::fromStdString(written.Error().message), true);
        return false;
    }
    lastPath_ = path;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    const std::string shown = ec ? path : absolute.lexically_normal().string();
    notice_.Show(QStringLiteral("Saved ") + QFile::decodeName(QByteArray::fromStdString(shown)),
                 false);
    return true;
}
