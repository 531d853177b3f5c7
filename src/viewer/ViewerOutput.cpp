#include "viewer/ViewerOutput.h"

#include <QFile>

#include <filesystem>
#include <system_error>

#include "export/ExportTree.h"
#include "export/FileOutput.h"
#include "export/PngEncoder.h"
#include "export/TreePictures.h"
#include "mesh/TreeMesh.h"
#include "model/LeafRandomTable.h"
#include "model/TreeParams.h"
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

Result<> SaveFramePicture(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                          int height, uint32_t seed) {
    const Result<std::string> png =
        EncodePng(FromGlReadback(rgba, width, height),
                  {{"Software", "Dendrova"}, {"Seed", std::to_string(seed)}});
    if (!png) {
        return png.Error();
    }
    return WriteFileAtomically(path, *png, {FilePlacement::CreateNew, {}});
}

Result<> SaveTreeGlb(const std::string& path, const TreeModel& model, uint32_t seed) {
    const Result<TreePictures> pictures = LoadTreePictures();
    if (!pictures) {
        return pictures.Error();
    }
    const TreeMesh mesh = BuildTreeMesh(model, treeParams);
    PendingFiles files({FilePlacement::CreateNew, {}});
    const Result<> result = ExportTree(path, mesh, *pictures, CurrentExportInfo(seed), files);
    return result ? files.PlaceAll() : result;
}

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
    Result<> result;
    // A name another program takes between the search and the write: the next free one.
    for (int attempt = 0; attempt < MaxOutputNameAttempts; ++attempt) {
        path = FreeOutputName(outputFolder, leafRandomTable.seed, ".png");
        result =
            SaveFramePicture(path, capturedFrame_, clientWidth, clientHeight, leafRandomTable.seed);
        if (!NameTakenMeanwhile(result, path)) {
            break;
        }
    }
    capturedFrame_.clear();
    return ReportOutput(path, result);
}

bool ViewerWindow::ExportGlb() {
    if (!contextReady) {
        return false;
    }
    std::string path;
    Result<> result;
    for (int attempt = 0; attempt < MaxOutputNameAttempts; ++attempt) {
        path = FreeOutputName(outputFolder, leafRandomTable.seed, ".glb");
        result = SaveTreeGlb(path, model, leafRandomTable.seed);
        if (!NameTakenMeanwhile(result, path)) {
            break;
        }
    }
    return ReportOutput(path, result);
}

bool ViewerWindow::ReportOutput(const std::string& path, const Result<>& written) {
    if (!written) {
        notice_.Show(
            QStringLiteral("Not saved: ") + QString::fromStdString(written.Error().message), true);
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
