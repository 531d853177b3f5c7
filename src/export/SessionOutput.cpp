#include "export/SessionOutput.h"

#include <algorithm>

#include <filesystem>

#include "export/AtlasPicture.h"
#include "export/ExportTree.h"
#include "export/GltfWriter.h"
#include "export/PngEncoder.h"
#include "export/TreePictures.h"
#include "mesh/TreeMesh.h"
#include "model/ShownText.h"

namespace {

// The name of the levels' nodes in the file for `path`: its file name without the
// extension, with any byte that is not part of valid UTF-8 (which a file's JSON must be)
// replaced by U+FFFD.
std::string LevelName(const std::string& path) {
    const std::string stem = std::filesystem::path(path).stem().string();
    std::string name;
    for (size_t at = 0; at < stem.size();) {
        const size_t length = Utf8SequenceLength(stem, at);
        if (length == 0) {
            name += "\xEF\xBF\xBD";
            ++at;
        } else {
            name.append(stem, at, length);
            at += length;
        }
    }
    return name;
}

} // namespace

Result<> AddTreeExport(const std::string& path, const TreeSession& session, PendingFiles& files,
                       const ExportProgress& progress, const TreeExportLevels& levels) {
    const Result<TreePictures> pictures = LoadTreePictures();
    if (!pictures) {
        return pictures.Error();
    }
    const auto report = [&progress](double f) {
        if (progress) {
            progress(f);
        }
    };
    // Levels and wind are for a .glb only.
    const bool glb = IsGlbPath(path);
    const TreeMesh mesh =
        BuildTreeMesh(session.model(), session.params(), true, 0, glb && levels.wind);
    // The impostor's pictures are drawn first, before the lighter levels take their
    // memory: drawing holds a slice of the tree and the renderer's copies of it.
    const int count = glb ? std::clamp(levels.count, 1, MaxTreeLevels) : 1;
    std::string atlasPng;
    if (count >= 3) {
        report(0.2);
        if (!levels.drawImpostor) {
            return Failure{"cannot export " + QuotedText(path) +
                           ": the impostor's pictures cannot be drawn here"};
        }
        const Result<RasterImage> atlas = levels.drawImpostor(mesh, ImpostorFrameOf(mesh));
        if (!atlas) {
            return atlas.Error();
        }
        const Result<std::string> png = EncodePng(PowerOfTwoAtlas(*atlas));
        if (!png) {
            return png.Error();
        }
        atlasPng = *png;
    }
    // The lighter levels are made from the full mesh, once it is there.
    const std::vector<TreeLevel> lighter = LighterLevels(mesh, count);
    GlbContent content = GlbContentOf(mesh);
    content.name = LevelName(path);
    content.wind = glb && levels.wind;
    content.atlasPng = std::move(atlasPng);
    for (const TreeLevel& level : lighter) {
        content.levels.push_back(level.impostor ? GlbLevel{nullptr, &level.quads}
                                                : GlbLevel{&level.mesh, nullptr});
    }
    report(0.5);
    ExportProgress writing;
    if (progress) {
        writing = [&progress](double f) { progress(0.5 + 0.5 * f); };
    }
    return ExportTree(path, content, *pictures, ExportInfoOf(session.params(), session.seed()),
                      files, writing);
}

Result<> AddFramePicture(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                         int height, uint32_t seed, PendingFiles& files) {
    const Result<std::string> png =
        EncodePng(FromGlReadback(rgba, width, height),
                  {{"Software", "Dendrova"}, {"Seed", std::to_string(seed)}});
    if (!png) {
        return png.Error();
    }
    return files.Add(path, *png);
}
