#include "export/GltfWriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "export/GlbBlocks.h"
#include "export/GlbDocument.h"
#include "mesh/TreeWind.h"

static_assert(std::endian::native == std::endian::little,
              "the binary chunk is written straight from memory; glTF is little-endian");

namespace {

constexpr uint32_t GlbMagic = 0x46546C67; // "glTF"
constexpr uint32_t ChunkJson = 0x4E4F534A;
constexpr uint32_t ChunkBin = 0x004E4942;
// The most vertices a primitive with 16-bit indices has: 65535 itself is left unused, as
// it means a primitive restart to some readers.
constexpr size_t MaxShortIndexedVertices = 65535;
// Keys of the wind's loop, the last one repeating the first.
constexpr int SwayKeys = 25;

// The document and what fills each of its views, laid out together in the binary chunk's
// order.
class Layout {
public:
    using Fill = std::function<void(GlbBlockWriter&)>;

    GlbDocument doc;

    size_t View(size_t length, int target, Fill fill, size_t stride = 0) {
        doc.views.push_back({doc.binSize, length, target, stride});
        doc.binSize += GlbBlockWriter::Padded(length);
        fills_.push_back({std::move(fill), length});
        return doc.views.size() - 1;
    }
    size_t Accessor(GlbAccessor accessor) {
        doc.accessors.push_back(std::move(accessor));
        return doc.accessors.size() - 1;
    }
    void WriteBin(GlbBlockWriter& bin) const {
        for (const auto& [fill, length] : fills_) {
            fill(bin);
            bin.Pad(length);
        }
    }

private:
    std::vector<std::pair<Fill, size_t>> fills_;
};

GlbAccessor Access(size_t view, size_t offset, size_t count, int componentType, const char* type) {
    GlbAccessor a;
    a.view = view;
    a.offset = offset;
    a.count = count;
    a.componentType = componentType;
    a.type = type;
    return a;
}

// A part of a level and the material it is drawn with.
struct LevelPart {
    const MeshPart* part;
    const std::vector<float>* colours; // the leaves' tints
    GlbMaterial material;
};

std::vector<LevelPart> PartsOf(const GlbLevel& level) {
    std::vector<LevelPart> parts;
    if (level.impostor) {
        parts.push_back({level.impostor, nullptr, GlbMaterial::Impostor});
    } else if (level.mesh) {
        parts.push_back({&level.mesh->bark, nullptr, GlbMaterial::Bark});
        parts.push_back({&level.mesh->leaves, &level.mesh->leafColours, GlbMaterial::Leaf});
    }
    std::erase_if(parts, [](const LevelPart& p) {
        return p.part->vertexCount() == 0 || p.part->indices.empty();
    });
    return parts;
}

// How high the level's highest vertex stands, in metres.
double TopInMetres(const GlbLevel& level) {
    double top = 0.0;
    for (const LevelPart& p : PartsOf(level)) {
        for (size_t v = 0; v < p.part->vertexCount(); ++v) {
            float m[3];
            PositionInMetres(&p.part->positions[3 * v], m);
            top = std::max(top, static_cast<double>(m[1]));
        }
    }
    return top;
}

void PositionBounds(const MeshPart& part, std::vector<float>& min, std::vector<float>& max) {
    min.assign(3, std::numeric_limits<float>::max());
    max.assign(3, std::numeric_limits<float>::lowest());
    for (size_t v = 0; v < part.vertexCount(); ++v) {
        float p[3];
        PositionInMetres(&part.positions[3 * v], p);
        for (int i = 0; i < 3; ++i) {
            min[i] = std::min(min[i], p[i]);
            max[i] = std::max(max[i], p[i]);
        }
    }
}

// The wind data of vertex v of `part`: weight and phase; none (a part built without it)
// holds still.
void WindOf(const MeshPart& part, size_t v, float out[2]) {
    const bool has = part.wind.size() == 2 * part.vertexCount();
    out[0] = has ? part.wind[2 * v] : 0.0f;
    out[1] = has ? part.wind[2 * v + 1] : 0.0f;
}

// How far vertex v of `part` sways at full strength, in metres.
float SwayReach(const MeshPart& part, size_t v, double amplitude) {
    float wind[2];
    WindOf(part, v, wind);
    return static_cast<float>(static_cast<double>(wind[0]) * amplitude);
}

// The primitive of `source`, its arrays laid out one after the other; with an `amplitude`
// (metres at weight 1), its wind data and the two morph targets that carry its sway.
GlbPrimitive AddPrimitive(Layout& layout, const LevelPart& source,
                          std::optional<double> amplitude) {
    const MeshPart& part = *source.part;
    const size_t n = part.vertexCount();
    GlbPrimitive p;
    p.material = source.material;

    const size_t positions = layout.View(n * 12, GlbArrayBuffer, [&part](GlbBlockWriter& bin) {
        bin.Items<float, 3>(part.vertexCount(), [&part](size_t v, float* out) {
            PositionInMetres(&part.positions[3 * v], out);
        });
    });
    GlbAccessor position = Access(positions, 0, n, GlbFloat, "VEC3");
    PositionBounds(part, position.min, position.max);
    p.position = layout.Accessor(std::move(position));

    const size_t normals = layout.View(n * 12, GlbArrayBuffer, [&part](GlbBlockWriter& bin) {
        bin.Items<float, 3>(part.vertexCount(), [&part](size_t v, float* out) {
            UnitNormal(&part.normals[3 * v], out);
        });
    });
    p.normal = layout.Accessor(Access(normals, 0, n, GlbFloat, "VEC3"));

    const size_t texCoords = layout.View(n * 8, GlbArrayBuffer, [&part](GlbBlockWriter& bin) {
        bin.Bytes(part.texCoords.data(), part.texCoords.size() * sizeof(float));
    });
    p.texCoord = layout.Accessor(Access(texCoords, 0, n, GlbFloat, "VEC2"));

    if (source.colours) {
        // A tint in bytes: 1/255 steps, finer than the spread of the leaves' tints shows.
        const std::vector<float>& colours = *source.colours;
        const size_t view = layout.View(n * 4, GlbArrayBuffer, [&colours, n](GlbBlockWriter& bin) {
            bin.Items<uint8_t, 4>(n, [&colours](size_t v, uint8_t* out) {
                float tint[4];
                LeafTint(&colours[4 * v], tint);
                for (int i = 0; i < 4; ++i) {
                    out[i] =
                        static_cast<uint8_t>(std::lround(std::clamp(tint[i], 0.0f, 1.0f) * 255));
                }
            });
        });
        GlbAccessor colour = Access(view, 0, n, GlbUnsignedByte, "VEC4");
        colour.normalized = true;
        p.colour = layout.Accessor(std::move(colour));
    }

    if (amplitude) {
        const size_t wind = layout.View(n * 8, GlbArrayBuffer, [&part](GlbBlockWriter& bin) {
            bin.Items<float, 2>(part.vertexCount(),
                                [&part](size_t v, float* out) { WindOf(part, v, out); });
        });
        p.wind = layout.Accessor(Access(wind, 0, n, GlbFloat, "VEC2"));

        // Both targets in one view of four floats a vertex, (d, 0, 0, d) for a reach d: read
        // from its first float it is the sway along +x, from its second the sway along +z.
        const double a = *amplitude;
        const size_t sway = layout.View(
            n * 16, GlbArrayBuffer,
            [&part, a](GlbBlockWriter& bin) {
                bin.Items<float, 4>(part.vertexCount(), [&part, a](size_t v, float* out) {
                    const float d = SwayReach(part, v, a);
                    out[0] = d;
                    out[1] = 0.0f;
                    out[2] = 0.0f;
                    out[3] = d;
                });
            },
            16);
        float least = 0.0f, most = 0.0f;
        for (size_t v = 0; v < n; ++v) {
            const float d = SwayReach(part, v, a);
            least = v == 0 ? d : std::min(least, d);
            most = v == 0 ? d : std::max(most, d);
        }
        GlbAccessor alongX = Access(sway, 0, n, GlbFloat, "VEC3");
        alongX.min = {least, 0.0f, 0.0f};
        alongX.max = {most, 0.0f, 0.0f};
        GlbAccessor alongZ = Access(sway, 4, n, GlbFloat, "VEC3");
        alongZ.min = {0.0f, 0.0f, least};
        alongZ.max = {0.0f, 0.0f, most};
        p.sway = std::array<size_t, 2>{layout.Accessor(std::move(alongX)),
                                       layout.Accessor(std::move(alongZ))};
    }

    const size_t count = part.indices.size();
    if (n <= MaxShortIndexedVertices) {
        const size_t view =
            layout.View(count * 2, GlbElementArrayBuffer, [&part](GlbBlockWriter& bin) {
                bin.Items<uint16_t, 1>(part.indices.size(), [&part](size_t i, uint16_t* out) {
                    *out = static_cast<uint16_t>(part.indices[i]);
                });
            });
        p.indices = layout.Accessor(Access(view, 0, count, GlbUnsignedShort, "SCALAR"));
    } else {
        const size_t view =
            layout.View(count * 4, GlbElementArrayBuffer, [&part](GlbBlockWriter& bin) {
                bin.Bytes(part.indices.data(), part.indices.size() * sizeof(uint32_t));
            });
        p.indices = layout.Accessor(Access(view, 0, count, GlbUnsignedInt, "SCALAR"));
    }
    return p;
}

// The wind's loop as key times and the two weights at each key.
struct SwayKeyValues {
    std::array<float, SwayKeys> times{};
    std::array<float, 2 * SwayKeys> weights{};
};

SwayKeyValues SwayLoop() {
    SwayKeyValues keys;
    for (int k = 0; k < SwayKeys; ++k) {
        const double t = WindPeriodSeconds * k / (SwayKeys - 1);
        const WindSway sway = WindSwayAt(t);
        keys.times[k] = static_cast<float>(t);
        keys.weights[2 * k] = static_cast<float>(sway.x);
        keys.weights[2 * k + 1] = static_cast<float>(sway.z);
    }
    // The loop closes exactly, whatever the rounding of its last moment.
    keys.weights[2 * (SwayKeys - 1)] = keys.weights[0];
    keys.weights[2 * (SwayKeys - 1) + 1] = keys.weights[1];
    return keys;
}

void PutU32(std::ostream& out, uint32_t v) {
    out.write(reinterpret_cast<const char*>(&v), 4);
}

void AddPicture(Layout& layout, const std::string& png, size_t& view) {
    view = layout.View(png.size(), 0,
                       [&png](GlbBlockWriter& bin) { bin.Bytes(png.data(), png.size()); });
}

} // namespace

GlbContent GlbContentOf(const TreeMesh& mesh) {
    GlbContent content;
    content.levels.push_back({&mesh, nullptr});
    return content;
}

bool WriteGlb(std::ostream& out, const GlbContent& content, const TreePictures& pictures,
              const ExportInfo& info, const ExportProgress& progress) {
    Layout layout;
    GlbDocument& doc = layout.doc;
    doc.info = info;
    std::optional<double> amplitude;
    if (content.wind && !content.levels.empty()) {
        amplitude = WindAmplitude(TopInMetres(content.levels.front()));
    }

    // Each level's primitives, then the wind's keys and the pictures.
    for (size_t k = 0; k < content.levels.size(); ++k) {
        GlbMesh mesh;
        mesh.name = content.levels.size() == 1 ? std::string("tree")
                                               : content.name + "_LOD" + std::to_string(k);
        for (const LevelPart& part : PartsOf(content.levels[k])) {
            mesh.primitives.push_back(AddPrimitive(layout, part, amplitude));
            doc.impostorMaterial |= part.material == GlbMaterial::Impostor;
        }
        GlbNode node{mesh.name, std::nullopt};
        if (!mesh.primitives.empty()) {
            node.mesh = doc.meshes.size();
            doc.meshes.push_back(std::move(mesh));
        }
        doc.nodes.push_back(std::move(node));
    }
    const SwayKeyValues keys = SwayLoop();
    if (amplitude && !doc.meshes.empty()) {
        const size_t times = layout.View(sizeof keys.times, 0, [&keys](GlbBlockWriter& bin) {
            bin.Bytes(keys.times.data(), sizeof keys.times);
        });
        const size_t weights = layout.View(sizeof keys.weights, 0, [&keys](GlbBlockWriter& bin) {
            bin.Bytes(keys.weights.data(), sizeof keys.weights);
        });
        GlbAccessor input = Access(times, 0, SwayKeys, GlbFloat, "SCALAR");
        input.min = {keys.times.front()};
        input.max = {keys.times.back()};
        doc.sway =
            GlbSwayAnimation{layout.Accessor(std::move(input)),
                             layout.Accessor(Access(weights, 0, 2 * SwayKeys, GlbFloat, "SCALAR"))};
    }
    AddPicture(layout, pictures.barkPng, doc.barkImage);
    AddPicture(layout, pictures.leafPng, doc.leafImage);
    if (doc.impostorMaterial && !content.atlasPng.empty()) {
        size_t atlas = 0;
        AddPicture(layout, content.atlasPng, atlas);
        doc.atlasImage = atlas;
    }

    std::string json = GlbJsonChunk(doc);
    json.resize(GlbBlockWriter::Padded(json.size()), ' ');

    // Header, JSON chunk, binary chunk.
    const size_t total = 12 + 8 + json.size() + 8 + doc.binSize;
    if (total > std::numeric_limits<uint32_t>::max()) {
        return false; // a .glb cannot hold more than 4 GiB
    }
    PutU32(out, GlbMagic);
    PutU32(out, 2);
    PutU32(out, static_cast<uint32_t>(total));
    PutU32(out, static_cast<uint32_t>(json.size()));
    PutU32(out, ChunkJson);
    out.write(json.data(), static_cast<std::streamsize>(json.size()));
    PutU32(out, static_cast<uint32_t>(doc.binSize));
    PutU32(out, ChunkBin);

    GlbBlockWriter bin(out, progress, doc.binSize);
    layout.WriteBin(bin);
    return bin.good();
}

bool WriteGlb(std::ostream& out, const TreeMesh& mesh, const TreePictures& pictures,
              const ExportInfo& info, const ExportProgress& progress) {
    return WriteGlb(out, GlbContentOf(mesh), pictures, info, progress);
}
