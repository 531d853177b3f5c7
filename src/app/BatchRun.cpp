#include "app/BatchRun.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "export/FileOutput.h"
#include "export/PngEncoder.h"
#include "model/LeafRandomTable.h"
#include "model/ModelConfig.h"
#include "model/TreeModel.h"
#include "platform/QtPlatform.h"
#include "viewer/StillFrame.h"

namespace {

// The built-in pictures as in the viewer; messages go to stderr instead of message boxes.
class ConsolePlatform final : public Platform {
public:
    bool LoadBitmap(const std::string& name, BitmapPixels& out) override {
        return pictures_.LoadBitmap(name, out);
    }
    void ShowWarning(const std::string& text) override { Print(text); }
    void ShowError(const std::string& text) override { Print(text); }
    void OpenUri(const std::string&) override {}

private:
    static void Print(const std::string& text) {
        std::fprintf(stderr, "dendrova: %s\n", text.c_str());
    }
    QtPlatform pictures_;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "dendrova: %s\n", message.c_str());
    return FailureExitCode;
}

std::string RenderPicture(const CommandLineOptions& options, const WindowGeometry& geometry,
                          const Camera& camera, const TreeModel& model) {
    StillFrame frame;
    frame.camera = camera;
    frame.model = &model;
    frame.width = options.renderWidth > 0 ? options.renderWidth : geometry.windowWidth;
    frame.height = options.renderHeight > 0 ? options.renderHeight : geometry.windowHeight;
    frame.overlay = options.overlay;
    std::vector<uint8_t> rgba;
    std::string error;
    if (!RenderStillFrame(frame, rgba, error)) {
        return error;
    }
    const std::string png =
        EncodePng(FromGlReadback(rgba, frame.width, frame.height),
                  {{"Software", "Dendrova"}, {"Seed", std::to_string(leafRandomTable.seed)}});
    if (png.empty()) {
        return "cannot encode the picture as PNG";
    }
    return WriteFileAtomically(options.renderPath, png);
}

} // namespace

int RunBatch(const CommandLineOptions& options) {
    ConsolePlatform platform;
    Platform* previous = SetPlatform(&platform);

    WindowGeometry geometry;
    Camera camera;
    if (!options.paramsPath.empty()) {
        LoadModelConfig(geometry, camera, options.paramsPath);
    }
    CreateLeafRandomTableSeeded(options.seed ? *options.seed : ClockSeed());
    TreeModel model;
    model.Build();

    std::string error;
    if (!options.exportPath.empty()) {
        error = "--export is not available yet";
    }
    if (error.empty() && !options.renderPath.empty()) {
        error = RenderPicture(options, geometry, camera, model);
    }
    FreeLeafRandomTable();
    SetPlatform(previous);
    return error.empty() ? 0 : Fail(error);
}
