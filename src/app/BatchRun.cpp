#include "app/BatchRun.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/VariantRun.h"
#include "base/ProgramLine.h"
#include "export/FileOutput.h"
#include "export/SessionOutput.h"
#include "mesh/TreeLevels.h"
#include "model/LeafRandomTable.h"
#include "model/ModelConfig.h"
#include "model/ShownText.h"
#include "model/TreeSession.h"
#include "platform/QtPlatform.h"
#include "platform/StopSignals.h"
#include "viewer/StillFrame.h"
#include "viewer/StillFrameSeries.h"

namespace {

// The built-in pictures as in the viewer; messages go to stderr instead of message boxes.
class ConsolePlatform final : public Platform {
public:
    bool LoadBitmap(const std::string& name, BitmapPixels& out) override {
        return pictures_.LoadBitmap(name, out);
    }
    void ShowWarning(const std::string& text) override { Print(text); }
    void ShowError(const std::string& text) override { Print(text); }
    bool OpenUri(const std::string&) override { return false; }

private:
    static void Print(const std::string& text) { PrintProgramLine(text); }
    QtPlatform pictures_;
};

// A percentage on stderr for work that takes longer than a second, rewritten in place.
class ProgressLine {
public:
    explicit ProgressLine(std::string what) : what_(std::move(what)) {}
    ~ProgressLine() {
        if (shown_ >= 0) {
            std::fprintf(stderr, "\n");
        }
    }
    void Report(double fraction) {
        const auto elapsed = std::chrono::steady_clock::now() - start_;
        const int percent = static_cast<int>(fraction * 100.0);
        if (elapsed < std::chrono::seconds(1) || percent == shown_) {
            return;
        }
        shown_ = percent;
        char number[8];
        std::snprintf(number, sizeof number, " %3d%%", percent);
        const std::string line = "\r" + ProgramLine(what_ + number);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }

private:
    std::string what_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    int shown_ = -1;
};

// A window size from a file as a picture size: within 1..MaxRenderSide on each side,
// scaled down as a whole when a side is larger, so the picture keeps its shape.
void FitRenderSize(int width, int height, int& pictureWidth, int& pictureHeight) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    const int longer = std::max(width, height);
    if (longer <= MaxRenderSide) {
        pictureWidth = width;
        pictureHeight = height;
        return;
    }
    const double scale = static_cast<double>(MaxRenderSide) / longer;
    pictureWidth = std::clamp(static_cast<int>(std::lround(width * scale)), 1, MaxRenderSide);
    pictureHeight = std::clamp(static_cast<int>(std::lround(height * scale)), 1, MaxRenderSide);
}

// Drawing a frame cannot stop part-way, and a large picture of a large tree takes
// seconds. A stop request that comes while it draws ends the process from a second
// thread at once: the files written so far, which the drawing does not touch, are
// dropped first.
class DrawingWatch {
public:
    explicit DrawingWatch(PendingFiles& outputs)
        : watcher_([this, &outputs] {
              std::unique_lock<std::mutex> lock(mutex_);
              while (!done_) {
                  if (StopRequested()) {
                      outputs.DropAll();
                      PrintProgramLine(InterruptedText);
                      EndByStopSignal();
                  }
                  ended_.wait_for(lock, std::chrono::milliseconds(20));
              }
          }) {}
    ~DrawingWatch() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        ended_.notify_one();
        watcher_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread watcher_;
};

// What --lods and --wind ask of the export: its levels and wind, and the impostor's
// pictures drawn as --render draws (a stop request while they are drawn ends the run).
TreeExportLevels ExportLevelsOf(const CommandLineOptions& options, const TreeSession& session,
                                PendingFiles& outputs) {
    TreeExportLevels levels;
    levels.count = options.lods;
    levels.wind = options.wind;
    levels.drawImpostor = [&session, &outputs](const TreeMesh& full,
                                               const ImpostorFrame& frame) -> Result<RasterImage> {
        if (StopRequested()) {
            return Failure{InterruptedText};
        }
        const DrawingWatch watch(outputs);
        Result<ImpostorAtlas> atlas =
            RenderImpostorAtlas(session.model(), session.params(), full, frame);
        if (!atlas) {
            return atlas.Error();
        }
        return RasterImage{atlas->width, atlas->height, 4, std::move(atlas->rgba)};
    };
    return levels;
}

// The tree of `session` exported to `path` with the levels and wind `options` ask for.
Result<> ExportFile(const std::string& path, const CommandLineOptions& options,
                    const TreeSession& session, PendingFiles& outputs) {
    ProgressLine progress("writing " + QuotedText(path));
    return AddTreeExport(
        path, session, outputs, [&progress](double f) { progress.Report(f); },
        ExportLevelsOf(options, session, outputs));
}

Result<> RenderPicture(const CommandLineOptions& options, const WindowGeometry& geometry,
                       const Camera& camera, const TreeSession& session, PendingFiles& outputs) {
    StillFrame frame;
    frame.camera = camera;
    frame.model = &session.model();
    frame.params = session.params();
    if (options.renderWidth > 0) {
        frame.width = options.renderWidth;
        frame.height = options.renderHeight;
    } else {
        FitRenderSize(geometry.windowWidth, geometry.windowHeight, frame.width, frame.height);
    }
    frame.overlay = options.overlay;
    std::vector<uint8_t> rgba;
    Result<> drawn;
    {
        const DrawingWatch watch(outputs);
        // --lod: one level of the chain in place of the full tree.
        std::vector<TreeLevel> levels;
        ImpostorAtlas atlas;
        if (options.renderLevel && *options.renderLevel > 0) {
            const TreeMesh full = BuildTreeMesh(session.model(), session.params());
            levels = LighterLevels(full, options.lods);
            frame.level = &levels[static_cast<size_t>(*options.renderLevel - 1)];
            if (frame.level->impostor) {
                Result<ImpostorAtlas> drawnAtlas = RenderImpostorAtlas(
                    session.model(), session.params(), full, ImpostorFrameOf(full));
                if (!drawnAtlas) {
                    return drawnAtlas.Error();
                }
                atlas = std::move(*drawnAtlas);
                frame.atlas = &atlas;
            }
        }
        drawn = RenderStillFrame(frame, rgba);
    }
    if (!drawn || StopRequested()) {
        return drawn;
    }
    return AddFramePicture(options.renderPath, rgba, frame.width, frame.height, session.seed(),
                           outputs);
}

// The steps of each tree of --variants: those of a single tree's run.
VariantSteps StepsOfOneTree(const CommandLineOptions& options, PendingFiles& outputs) {
    VariantSteps steps;
    steps.exportTree = [&options, &outputs](const std::string& path, const TreeSession& tree) {
        return ExportFile(path, options, tree, outputs);
    };
    // One context for all the cells of the sheet.
    auto series = std::make_shared<StillFrameSeries>();
    steps.drawFrame = [&outputs, series](const StillFrame& frame, std::vector<uint8_t>& rgba) {
        const DrawingWatch watch(outputs);
        return series->Draw(frame, rgba);
    };
    return steps;
}

} // namespace

Result<> RunBatch(const CommandLineOptions& options) {
    ConsolePlatform platform;
    Platform* previous = SetPlatform(&platform);

    const WindowGeometry geometry = options.geometry.value_or(WindowGeometry{});
    Camera camera;
    if (options.camera) {
        camera = *options.camera;
    }
    // The run's own tree, grown once from what the command line gave.
    TreeSession session(options.params.value_or(TreeParams{}),
                        options.seed ? *options.seed : ClockSeed());
    session.Regrow();

    // Every output is written completely before the first is put in place, so a stop
    // request (checked after each step and while writing) leaves nothing behind.
    Result<> written;
    bool placed = false;
    {
        PendingFiles outputs({FilePlacement::Replace, StopRequested});
        if (options.variants > 0) {
            int cellWidth = options.renderWidth, cellHeight = options.renderHeight;
            if (cellWidth == 0) {
                FitRenderSize(geometry.windowWidth, geometry.windowHeight, cellWidth, cellHeight);
            }
            written = AddVariants(options, camera, cellWidth, cellHeight, session,
                                  StepsOfOneTree(options, outputs), outputs);
        } else if (!options.exportPath.empty() && !StopRequested()) {
            written = ExportFile(options.exportPath, options, session, outputs);
        }
        if (written && options.variants == 0 && !options.renderPath.empty() && !StopRequested()) {
            written = RenderPicture(options, geometry, camera, session, outputs);
        }
        if (written && !StopRequested()) {
            written = outputs.PlaceAll();
            placed = written.Ok();
        }
    }
    SetPlatform(previous);
    if (StopRequested() && !placed) {
        return Failure{InterruptedText};
    }
    return written;
}
