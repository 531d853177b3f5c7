#pragma once

#include <string>
#include <vector>

#include "export/ExportFrame.h"
#include "export/FileOutput.h"
#include "export/GltfWriter.h"
#include "export/TreePictures.h"
#include "mesh/TreeMesh.h"

// True when `path` names a format the exporters write (.glb or .obj, any case).
bool IsExportPath(const std::string& path);

// True when `path` names a binary glTF file (.glb, any case).
bool IsGlbPath(const std::string& path);

// The files an export to `path` writes: the .glb alone, or the .obj with its .mtl and the
// two pictures beside it ("<name>.mtl", "<name>-bark.png", "<name>-leaf.png").
std::vector<std::string> ExportedFiles(const std::string& path);

// Writes the tree for `path` in the format its extension names into `files`, where it
// waits, complete, for files.PlaceAll(): the .obj after its pictures and material
// library, so that it never names files that are not there. An .obj holds the first level
// of `content` alone.
Result<> ExportTree(const std::string& path, const GlbContent& content,
                    const TreePictures& pictures, const ExportInfo& info, PendingFiles& files,
                    const ExportProgress& progress = {});
// The same for the full tree alone.
Result<> ExportTree(const std::string& path, const TreeMesh& mesh, const TreePictures& pictures,
                    const ExportInfo& info, PendingFiles& files,
                    const ExportProgress& progress = {});
