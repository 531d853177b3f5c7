#include "app/VariantRun.h"

#include "app/BatchRun.h"
#include "app/Variants.h"
#include "base/ProgramLine.h"
#include "export/ContactSheet.h"
#include "export/FileOutput.h"
#include "export/PngEncoder.h"
#include "model/TreeSession.h"
#include "platform/StopSignals.h"
#include "viewer/Framing.h"
#include "viewer/StillFrame.h"

namespace {

// What a run whose seeds came from the clock says, so that the same trees can be grown
// again.
std::string ClockSeedsLine(const std::vector<uint32_t>& seeds) {
    const std::string first = std::to_string(seeds.front());
    if (seeds.size() == 1) {
        return "seed " + first + " from the clock; --seed " + first + " grows the same tree again";
    }
    return "seeds " + first + " to " + std::to_string(seeds.back()) + " from the clock; --seed " +
           first + " grows the same trees again";
}

// The seeds as the sheet's text names them, in the order of its cells.
std::string SeedList(const std::vector<uint32_t>& seeds) {
    std::string list;
    for (const uint32_t seed : seeds) {
        list += (list.empty() ? "" : ", ") + std::to_string(seed);
    }
    return list;
}

} // namespace

Result<> AddVariants(const CommandLineOptions& options, const Camera& from, int cellWidth,
                     int cellHeight, TreeSession& session, const VariantSteps& steps,
                     PendingFiles& outputs) {
    const std::vector<uint32_t> seeds = VariantSeeds(options);
    if (seeds.empty()) {
        return {};
    }
    if (options.seedFromClock) {
        PrintProgramLine(ClockSeedsLine(seeds));
    }
    const bool drawn = !options.renderPath.empty();
    ContactSheet sheet(
        drawn ? LayOutSheet(static_cast<int>(seeds.size()), cellWidth, cellHeight, MaxRenderSide)
              : SheetLayout{});
    for (size_t i = 0; i < seeds.size(); ++i) {
        if (StopRequested()) {
            return Failure{InterruptedText};
        }
        session.Reseed(seeds[i]);
        session.Regrow();
        if (!options.exportPath.empty()) {
            if (Result<> added =
                    steps.exportTree(VariantPath(options.exportPath, seeds[i]), session);
                !added) {
                return added;
            }
        }
        if (!drawn || StopRequested()) {
            continue;
        }
        StillFrame frame;
        frame.width = sheet.Layout().cellWidth;
        frame.height = sheet.Layout().cellHeight;
        frame.camera = FrameTree(session.model(), session.params(), from,
                                 static_cast<double>(frame.height) / frame.width);
        frame.model = &session.model();
        frame.params = session.params();
        frame.overlay = false;
        std::vector<uint8_t> rgba;
        if (Result<> painted = steps.drawFrame(frame, rgba); !painted) {
            return painted;
        }
        sheet.Place(static_cast<int>(i), FromGlReadback(rgba, frame.width, frame.height),
                    "seed " + std::to_string(seeds[i]));
    }
    if (StopRequested()) {
        return Failure{InterruptedText};
    }
    if (!drawn) {
        return {};
    }
    const Result<std::string> png =
        EncodePng(sheet.Picture(), {{"Software", "Dendrova"}, {"Seeds", SeedList(seeds)}}, 1);
    if (!png) {
        return png.Error();
    }
    return outputs.Add(options.renderPath, *png);
}
