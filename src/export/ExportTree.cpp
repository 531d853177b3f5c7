#include "export/ExportTree.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "export/FileOutput.h"
#include "export/GltfWriter.h"
#include "export/ObjWriter.h"

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

std::vector<std::string> ExportedFiles(const std::string& path) {
    if (HasExtension(path, ".obj")) {
        const std::string stem = Stem(path);
        return {path, stem + ".mtl", stem + "-bark.png", stem + "-leaf.png"};
    }
    return {path};
}

std::string ExportTree(const std::string& path, const TreeMesh& mesh, const TreePictures& pictures,
                       const ExportInfo& info, const ExportProgress& progress) {
    if (HasExtension(path, ".glb")) {
        return WriteFileAtomically(
            path, [&](std::ostream& out) { return WriteGlb(out, mesh, pictures, info, progress); });
    }
    if (!HasExtension(path, ".obj")) {
        return "cannot export '" + path + "': the name must end in .glb or .obj";
    }
    const std::vector<std::string> files = ExportedFiles(path);
    const std::string& mtl = files[1];
    const std::string& bark = files[2];
    const std::string& leaf = files[3];
    std::vector<std::string> created;
    std::error_code ec;
    for (const std::string& file : files) {
        if (!std::filesystem::exists(file, ec)) {
            created.push_back(file);
        }
    }
    // The object file comes last, so it never names files that are not there.
    std::string error = WriteFileAtomically(bark, pictures.barkPng);
    if (error.empty()) {
        error = WriteFileAtomically(leaf, pictures.leafPng);
    }
    if (error.empty()) {
        error = WriteFileAtomically(
            mtl, [&](std::ostream& out) { return WriteMtl(out, FileName(bark), FileName(leaf)); });
    }
    if (error.empty()) {
        error = WriteFileAtomically(path, [&](std::ostream& out) {
            return WriteObj(out, mesh, FileName(mtl), info, progress);
        });
    }
    if (!error.empty()) {
        for (const std::string& file : created) {
            std::filesystem::remove(file, ec);
        }
    }
    return error;
}
