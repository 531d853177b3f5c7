#include "export/SessionOutput.h"

#include "export/ExportTree.h"
#include "export/PngEncoder.h"
#include "export/TreePictures.h"
#include "mesh/TreeMesh.h"

FileWriteResult AddTreeExport(const std::string& path, const TreeSession& session,
                              PendingFiles& files, const ExportProgress& progress) {
    TreePictures pictures;
    std::string error;
    if (!LoadTreePictures(pictures, error)) {
        return {error};
    }
    const TreeMesh mesh = BuildTreeMesh(session.model(), session.params());
    ExportProgress writing;
    if (progress) {
        progress(0.5);
        writing = [&progress](double f) { progress(0.5 + 0.5 * f); };
    }
    return ExportTree(path, mesh, pictures, ExportInfoOf(session.params(), session.seed()), files,
                      writing);
}

FileWriteResult AddFramePicture(const std::string& path, const std::vector<uint8_t>& rgba,
                                int width, int height, uint32_t seed, PendingFiles& files) {
    const std::string png = EncodePng(FromGlReadback(rgba, width, height),
                                      {{"Software", "Dendrova"}, {"Seed", std::to_string(seed)}});
    if (png.empty()) {
        return {"cannot encode the picture as PNG"};
    }
    return files.Add(path, png);
}
