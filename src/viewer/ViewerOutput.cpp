#include "viewer/ViewerOutput.h"

#include <QWindow>

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
        // A name taken by an earlier file, or by one half-written right now, is skipped.
        if (!std::filesystem::exists(dir / name, ec) &&
            !std::filesystem::exists(dir / (name + ".part"), ec)) {
            return (dir / name).string();
        }
    }
}

std::string SaveFramePicture(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                             int height, uint32_t seed) {
    const std::string png = EncodePng(FromGlReadback(rgba, width, height),
                                      {{"Software", "Dendrova"}, {"Seed", std::to_string(seed)}});
    if (png.empty()) {
        return "cannot encode the picture as PNG";
    }
    return WriteFileAtomically(path, png);
}

std::string SaveTreeGlb(const std::string& path, const TreeModel& model, uint32_t seed) {
    TreePictures pictures;
    std::string error;
    if (!LoadTreePictures(pictures, error)) {
        return error;
    }
    const TreeMesh mesh = BuildTreeMesh(model, treeParams);
    return ExportTree(path, mesh, pictures, CurrentExportInfo(seed));
}

TitleNotice::TitleNotice(QWindow& window) : window_(window) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &window_, [this] { window_.setTitle(base_); });
}

void TitleNotice::SetBaseTitle(const QString& title) {
    base_ = title;
    if (!timer_.isActive()) {
        window_.setTitle(base_);
    }
}

void TitleNotice::Show(const QString& text, int milliseconds) {
    window_.setTitle(base_ + QStringLiteral(" - ") + text);
    timer_.start(milliseconds);
}

// The viewer's P and E keys.
bool ViewerWindow::SaveSnapshot() {
    if (!contextReady || clientWidth <= 0 || clientHeight <= 0) {
        return false;
    }
    captureNextFrame_ = true;
    RenderFrame();
    const std::string path = FreeOutputName(outputFolder, leafRandomTable.seed, ".png");
    const std::string error =
        SaveFramePicture(path, capturedFrame_, clientWidth, clientHeight, leafRandomTable.seed);
    capturedFrame_.clear();
    return ReportOutput(path, error);
}

bool ViewerWindow::ExportGlb() {
    if (!contextReady) {
        return false;
    }
    const std::string path = FreeOutputName(outputFolder, leafRandomTable.seed, ".glb");
    return ReportOutput(path, SaveTreeGlb(path, model, leafRandomTable.seed));
}

bool ViewerWindow::ReportOutput(const std::string& path, const std::string& error) {
    if (!error.empty()) {
        notice_.Show(QString::fromStdString(error), 8000);
        return false;
    }
    lastOutputPath = path;
    const std::string name = std::filesystem::path(path).filename().string();
    notice_.Show(QStringLiteral("saved ") + QString::fromStdString(name));
    return true;
}
