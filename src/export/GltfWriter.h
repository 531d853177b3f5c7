#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "export/ExportFrame.h"
#include "export/TreePictures.h"
#include "mesh/TreeMesh.h"

// Binary glTF 2.0 (.glb) of the tree, optionally in several levels of detail and with wind.
//
// Writes: one scene of one node per level, all at its root: "tree" when there is one
// level, otherwise "<name>_LOD0" (the full tree), "<name>_LOD1", ... Each node's mesh
// (named as its node) has triangle primitives "bark" and "leaves", or for an impostor one
// primitive of crossed quads, each with POSITION (metres, +y up, the trunk's foot at the
// origin), unit NORMAL, TEXCOORD_0 and indices, 16-bit for a primitive of at most 65,535
// vertices and 32-bit otherwise; the leaves also carry COLOR_0, each leaf's tint as
// normalized unsigned bytes. Materials: "bark" (opaque, the bark picture, darkened to look
// as in the viewer), "leaf" (the leaf picture with alphaMode MASK, alphaCutoff 0.9, the
// same outline as the viewer's alpha test, and double-sided as the viewer draws it) and,
// with an impostor, "impostor" (the atlas picture, alphaMode MASK, double-sided); all
// rough and non-metallic. The pictures are embedded as PNG. asset.extras and every node's
// extras record the seed and the thirteen parameters.
//
// With wind, every primitive also carries _WIND (two floats a vertex: the sway weight 0..1
// and the limb's phase 0..1, see MeshPart::wind) and two morph targets of POSITION
// displacements, weight times WindAmplitude(tree height) along +x and along +z; each mesh
// rests at weights [0, 0], and the animation "wind" drives the weights of every node with
// a mesh over one loop of WindSwayAt, WindPeriodSeconds long, its first key equal to its
// last.
//
// Leaves out: the sky, the ground and the shadow; the viewer's lighting (a file is lit by
// whoever shows it); the camera. A part with no geometry is left out of its mesh, and a
// level with none has no mesh.
//
// The output depends only on the content, the pictures and `info`: the same tree gives the
// same bytes.

// One level of detail: the tree's bark and leaves, or an impostor's quads (not owned).
struct GlbLevel {
    const TreeMesh* mesh = nullptr;
    const MeshPart* impostor = nullptr; // textured by GlbContent::atlasPng
};

// What one .glb holds.
struct GlbContent {
    std::vector<GlbLevel> levels; // the full tree first; each at most as heavy as the one before
    std::string name = "tree";    // with more than one level, their nodes' <name>, valid UTF-8
    std::string atlasPng;         // the impostor's pictures (RGBA PNG; see ImpostorFrame)
    bool wind = false;            // write the parts' wind data, its morph targets and animation
};

// The single-level content of `mesh`.
GlbContent GlbContentOf(const TreeMesh& mesh);

// Returns false, having written nothing, when the file would exceed the format's 4 GiB.
bool WriteGlb(std::ostream& out, const GlbContent& content, const TreePictures& pictures,
              const ExportInfo& info, const ExportProgress& progress = {});
bool WriteGlb(std::ostream& out, const TreeMesh& mesh, const TreePictures& pictures,
              const ExportInfo& info, const ExportProgress& progress = {});
