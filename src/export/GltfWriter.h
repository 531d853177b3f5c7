#pragma once

#include <ostream>

#include "export/ExportFrame.h"
#include "export/TreePictures.h"
#include "mesh/TreeMesh.h"

// Binary glTF 2.0 (.glb) of the tree.
//
// Writes: one scene with one node and one mesh "tree" of two triangle primitives, "bark"
// and "leaves", each with POSITION (metres, +y up, the trunk's foot at the origin), unit
// NORMAL, TEXCOORD_0 and 32-bit indices; the leaves also carry COLOR_0, each leaf's tint.
// Two materials: "bark" (opaque, the bark picture) and "leaf" (the leaf picture with
// alphaMode MASK, alphaCutoff 0.9, the same outline as the viewer's alpha test, and
// double-sided as the viewer draws it); both rough and non-metallic. The two pictures are
// embedded as PNG. asset.extras records the seed and the thirteen parameters.
//
// Leaves out: the sky, the ground and the shadow; the viewer's lighting and material
// colours (a file is lit by whoever shows it); the camera. A part with no geometry is
// left out of the mesh.
//
// The output depends only on the mesh, the pictures and `info`: the same tree gives the
// same bytes.
bool WriteGlb(std::ostream& out, const TreeMesh& mesh, const TreePictures& pictures,
              const ExportInfo& info, const ExportProgress& progress = {});
