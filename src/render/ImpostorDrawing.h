#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "mesh/FrameStats.h"
#include "mesh/TreeMesh.h"
#include "model/TreeParams.h"

class GlContextState;

// An impostor as a frame draws it in place of the tree: its quads (see ImpostorQuads) and
// the texture object of its atlas in the current context.
struct ImpostorDraw {
    const MeshPart* quads = nullptr;
    GLuint texture = 0;
};

// Uploads an atlas (RGBA rows, the top row first, so that t = 0 is its top) as a texture
// of the current context, mipmapped; returns its name.
GLuint UploadImpostorAtlas(int width, int height, const std::vector<uint8_t>& rgba);

// The tree pass of an impostor: its pictures as they are (they were lit when drawn),
// cut out where their alpha is below one half, both sides of every quad.
FrameStats DrawImpostor(const ImpostorDraw& impostor);

// Its ground shadow, flattened and turned as the tree's (DrawTreeShadow), in the leaves'
// shadow density wherever the pictures show the tree.
FrameStats DrawImpostorShadow(const ImpostorDraw& impostor, const TreeParams& params, float angle,
                              GlContextState& state);
