#include "viewer/ViewerOutput.h"

#include <QFile>

#include <filesystem>
#include <functional>
#include <system_error>

#include "export/FileOutput.h"
#include "export/SessionOutput.h"
#include "viewer/ViewerWindow.h"

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

// New files only: a name taken meanwhile fails with `nameTaken`, nothing is ever replaced.
FileWriteResult PlaceNew(const std::function<FileWriteResult(PendingFiles&)>& add) {
    PendingFiles files({FilePlacement::CreateNew, {}});
    const FileWriteResult result = add(files);
    return result.error.empty() ? files.PlaceAll() : result;
}

} // namespace

// P and E try this many free names at most, so that a folder where every name found free
// is taken at once cannot hold the viewer for ever.
constexpr int MaxOutputNameAttempts = 100;

// The viewer's P and E keys.
bool ViewerWindow::SaveSnapshot() {
    if (!contextReady || clientWidth <= 0 || clientHeight <= 0) {
        return false;
    }
    captureNextFrame_ = true;
    RenderFrame();
    std::string path;
    FileWriteResult result;
    // A name another program takes between the search and the write: the next free one.
    for (int attempt = 0; attempt < MaxOutputNameAttempts; ++attempt) {
        path = FreeOutputName(outputFolder, session_.seed(), ".png");
        result = PlaceNew([&](PendingFiles& files) {
            return AddFramePicture(path, capturedFrame_, clientWidth, clientHeight, session_.seed(),
                                   files);
        });
        if (!result.nameTaken) {
            break;
        }
    }
    capturedFrame_.clear();
    return ReportOutput(path, result.error);
}

bool ViewerWindow::ExportGlb() {
    if (!contextReady) {
        return false;
    }
    std::string path;
    FileWriteResult result;
    for (int attempt = 0; attempt < MaxOutputNameAttempts; ++attempt) {
        path = FreeOutputName(outputFolder, session_.seed(), ".glb");
        result =
            PlaceNew([&](PendingFiles& files) { return AddTreeExport(path, session_, files); });
        if (!result.nameTaken) {
            break;
        }
    }
    return ReportOutput(path, result.error);
}

bool ViewerWindow::ReportOutput(const std::string& path, const std::string& error) {
    if (!error.empty()) {
        notice_.Show(QStringLiteral("Not saved: ") + QString::fromStdString(error), true);
        return false;
    }
    lastOutputPath = path;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    const std::string shown = ec ? path : absolute.lexically_normal().string();
    notice_.Show(QStringLiteral("Saved ") + QFile::decodeName(QByteArray::fromStdString(shown)),
                 false);
    return true;
}
