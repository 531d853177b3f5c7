#include "export/ExportTree.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "export/GltfWriter.h"
#include "export/ObjWriter.h"
#include "model/ShownText.h"

namespace {

bool HasExtension(const std::string& path, const char* extension) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == extension;
}

std::string Stem(const std::string& path) {
    return path.substr(0, path.size() - std::filesystem::path(path).extension().string().size());
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

bool IsExportPath(const std::string& path) {
    return HasExtension(path, ".glb") || HasExtension(path, ".obj");
}

bool IsGlbPath(const std::string& path) {
    return HasExtension(path, ".glb");
}

std::vector<std::string> ExportedFiles(const std::string& path) {
    if (HasExtension(path, ".obj")) {
        const std::string stem = Stem(path);
        return {path, stem + ".mtl", stem + "-bark.png", stem + "-leaf.png"};
    }
    return {path};
}

Result<> ExportTree(const std::string& path, const TreeMesh& mesh, const TreePictures& pictures,
                    const ExportInfo& info, PendingFiles& files, const ExportProgress& progress) {
    return ExportTree(path, GlbContentOf(mesh), pictures, info, files, progress);
}

Result<> ExportTree(const std::string& path, const GlbContent& content,
                    const TreePictures& pictures, const ExportInfo& info, PendingFiles& files,
                    const ExportProgress& progress) {
    if (HasExtension(path, ".glb")) {
        return files.Add(path, [&](std::ostream& out) {
            return WriteGlb(out, content, pictures, info, progress);
        });
    }
    if (!HasExtension(path, ".obj")) {
        return Failure{"cannot export " + QuotedText(path) + ": the name must end in .glb or .obj"};
    }
    if (content.levels.empty() || !content.levels.front().mesh) {
        return Failure{"cannot export " + QuotedText(path) + ": no tree to write"};
    }
    const TreeMesh& mesh = *content.levels.front().mesh;
    const std::vector<std::string> names = ExportedFiles(path);
    const std::string& mtl = names[1];
    const std::string& bark = names[2];
    const std::string& leaf = names[3];
    Result<> result = files.Add(bark, pictures.barkPng);
    if (result) {
        result = files.Add(leaf, pictures.leafPng);
    }
    if (result) {
        result = files.Add(
            mtl, [&](std::ostream& out) { return WriteMtl(out, FileName(bark), FileName(leaf)); });
    }
    if (result) {
        result = files.Add(path, [&](std::ostream& out) {
            return WriteObj(out, mesh, FileName(mtl), info, progress);
        });
    }
    return result;
}
