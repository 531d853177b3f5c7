#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "export/ExportFrame.h"

// A .glb as its JSON chunk describes it: the slices of the binary chunk (views), how each
// is read (accessors) and what uses them (primitives, meshes, nodes, the wind's animation).
// WriteGlb fills it while it lays out the binary chunk; GlbJsonChunk writes it out.

inline constexpr int GlbArrayBuffer = 34962;
inline constexpr int GlbElementArrayBuffer = 34963;
inline constexpr int GlbUnsignedByte = 5121;
inline constexpr int GlbUnsignedShort = 5123;
inline constexpr int GlbUnsignedInt = 5125;
inline constexpr int GlbFloat = 5126;

// One slice of the binary chunk.
struct GlbView {
    size_t offset = 0;
    size_t length = 0;
    int target = 0;    // 0: none (pictures, animation keys)
    size_t stride = 0; // 0: the elements lie packed
};

struct GlbAccessor {
    size_t view = 0;
    size_t offset = 0; // into the view
    size_t count = 0;
    int componentType = GlbFloat;
    const char* type = "SCALAR";
    bool normalized = false;
    std::vector<float> min, max; // written when not empty
};

enum class GlbMaterial { Bark, Leaf, Impostor };

// A triangle primitive's attributes and indices as accessor numbers.
struct GlbPrimitive {
    size_t position = 0, normal = 0, texCoord = 0, indices = 0;
    std::optional<size_t> colour; // COLOR_0
    std::optional<size_t> wind;   // _WIND
    // The two morph targets' POSITION displacements: the sway along +x, along +z.
    std::optional<std::array<size_t, 2>> sway;
    GlbMaterial material = GlbMaterial::Bark;
};

// A node of the scene, with the mesh of its level when it has any geometry.
struct GlbNode {
    std::string name;
    std::optional<size_t> mesh;
};

struct GlbMesh {
    std::string name;
    std::vector<GlbPrimitive> primitives;
};

// The wind's loop: key times and the two morph weights at each key, as accessors.
struct GlbSwayAnimation {
    size_t times = 0;
    size_t weights = 0;
};

struct GlbDocument {
    std::vector<GlbNode> nodes; // the scene's nodes, all at its root
    std::vector<GlbMesh> meshes;
    std::vector<GlbAccessor> accessors;
    std::vector<GlbView> views;
    size_t barkImage = 0, leafImage = 0;  // views of the pictures
    std::optional<size_t> atlasImage;     // the impostor's pictures, when a level has them
    bool impostorMaterial = false;        // a level is an impostor
    std::optional<GlbSwayAnimation> sway; // with wind
    size_t binSize = 0;
    ExportInfo info;
};

// The JSON chunk of `document`, unpadded.
std::string GlbJsonChunk(const GlbDocument& document);
