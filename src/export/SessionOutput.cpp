#include "export/SessionOutput.h"

#include "export/ExportTree.h"
#include "export/PngEncoder.h"
#include "export/TreePictures.h"
#include "mesh/TreeMesh.h"

Result<> AddTreeExport(const std::string& path, const TreeSession& session, PendingFiles& files,
                       const ExportProgress& progress) {
    const Result<TreePictures> pictures = LoadTreePictures();
    if (!pictures) {
        return pictures.Error();
    }
    const TreeMesh mesh = BuildTreeMesh(session.model(), session.params());
    ExportProgress writing;
    if (progress) {
        progress(0.5);
        writing = [&progress](double f) { progress(0.5 + 0.5 * f); };
    }
    return ExportTree(path, mesh, *pictures, ExportInfoOf(session.params(), session.seed()), files,
                      writing);
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
