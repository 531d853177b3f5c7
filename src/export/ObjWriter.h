#pragma once

#include <ostream>
#include <string>

#include "export/ExportFrame.h"
#include "mesh/TreeMesh.h"

// Wavefront OBJ of the tree, with its MTL material library.
//
// Writes: one object "tree" with two groups, "bark" and "leaves", using the materials
// "bark" and "leaf"; every vertex with its position (metres, +y up, the trunk's foot at
// the origin), texture coordinate (v up, as OBJ counts it) and unit normal; triangles
// counter-clockwise seen from outside. A comment at the top records the generator, the
// seed and the thirteen parameters. The MTL names the bark and leaf pictures (PNG files
// written beside it by the caller); the leaf picture's alpha channel is its outline,
// given both as map_Kd's alpha and as map_d.
//
// Leaves out: the sky, the ground and the shadow; the leaves' individual tints (OBJ has
// no standard vertex colour); the alpha cutoff (OBJ readers blend or test as they like);
// the viewer's lighting.
//
// The output depends only on the mesh, the names and `info`: the same tree gives the
// same bytes.
bool WriteObj(std::ostream& out, const TreeMesh& mesh, const std::string& mtlFileName,
              const ExportInfo& info, const ExportProgress& progress = {});

bool WriteMtl(std::ostream& out, const std::string& barkPngName, const std::string& leafPngName);
