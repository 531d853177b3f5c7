#pragma once

#include <string>
#include <vector>

#include "export/ExportFrame.h"
#include "export/TreePictures.h"
#include "mesh/TreeMesh.h"

// True when `path` names a format the exporters write (.glb or .obj, any case).
bool IsExportPath(const std::string& path);

// The files an export to `path` writes: the .glb alone, or the .obj with its .mtl and the
// two pictures beside it ("<name>.mtl", "<name>-bark.png", "<name>-leaf.png").
std::vector<std::string> ExportedFiles(const std::string& path);

// Writes the tree to `path` in the format its extension names. Every file goes through a
// temporary name and is renamed into place once complete; when one fails, the files this
// export created are removed again. Returns an empty string on success, otherwise one
// line saying what failed.
std::string ExportTree(const std::string& path, const TreeMesh& mesh, const TreePictures& pictures,
                       const ExportInfo& info, const ExportProgress& progress = {});
