#include "export/GltfWriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <vector>

static_assert(std::endian::native == std::endian::little,
              "the binary chunk is written straight from memory; glTF is little-endian");

namespace {

constexpr uint32_t GlbMagic = 0x46546C67; // "glTF"
constexpr uint32_t ChunkJson = 0x4E4F534A;
constexpr uint32_t ChunkBin = 0x004E4942;
constexpr int ArrayBuffer = 34962;
constexpr int ElementArrayBuffer = 34963;
constexpr int FloatType = 5126;
constexpr int UnsignedIntType = 5125;

// The shortest text that reads back as the same float ("0.25", "1e-05"): valid JSON,
// independent of the locale, and accessor bounds that match the binary data exactly.
std::string Number(float v) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

std::string Number(uint64_t v) {
    return std::to_string(v);
}

size_t Padded(size_t size) {
    return (size + 3) & ~size_t(3);
}

// One slice of the binary chunk.
struct View {
    size_t offset;
    size_t length;
    int target; // 0: none (pictures)
};

// The parts of one primitive, where its arrays lie in the binary chunk.
struct PrimitiveLayout {
    const MeshPart* part;
    const std::vector<float>* colours;                         // leaves only
    size_t positions, normals, texCoords, colourView, indices; // view indices
    std::array<float, 3> min{}, max{};
};

void PositionBounds(const MeshPart& part, std::array<float, 3>& min, std::array<float, 3>& max) {
    min.fill(std::numeric_limits<float>::max());
    max.fill(std::numeric_limits<float>::lowest());
    for (size_t v = 0; v < part.vertexCount(); ++v) {
        float p[3];
        PositionInMetres(&part.positions[3 * v], p);
        for (int i = 0; i < 3; ++i) {
            min[i] = std::min(min[i], p[i]);
            max[i] = std::max(max[i], p[i]);
        }
    }
}

// Writes converted vertex data in blocks, so that the largest tree is never held twice.
class BlockWriter {
public:
    BlockWriter(std::ostream& out, const ExportProgress& progress, size_t totalBytes)
        : out_(out), progress_(progress), total_(std::max<size_t>(1, totalBytes)) {}

    void Floats(const float* data, size_t count, int width, void (*convert)(const float*, float*)) {
        std::vector<float> block;
        block.reserve(BlockFloats);
        for (size_t i = 0; i < count; i += width) {
            float converted[4];
            convert(data + i, converted);
            block.insert(block.end(), converted, converted + width);
            if (block.size() + width > BlockFloats) {
                Write(block.data(), block.size() * sizeof(float));
                block.clear();
            }
        }
        Write(block.data(), block.size() * sizeof(float));
    }
    void Bytes(const void* data, size_t size) {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const size_t n = std::min<size_t>(size, BlockFloats * sizeof(float));
            Write(p, n);
            p += n;
            size -= n;
        }
    }
    void Pad(size_t size) {
        static const char zeros[4] = {0, 0, 0, 0};
        Write(zeros, Padded(size) - size);
    }
    bool good() const { return out_.good(); }

private:
    static constexpr size_t BlockFloats = 1 << 16;

    void Write(const void* data, size_t size) {
        out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        written_ += size;
        if (progress_) {
            progress_(static_cast<double>(written_) / static_cast<double>(total_));
        }
    }

    std::ostream& out_;
    const ExportProgress& progress_;
    size_t total_;
    size_t written_ = 0;
};

void CopyFloats2(const float* in, float* out) {
    std::memcpy(out, in, 2 * sizeof(float));
}
void Tint(const float* in, float* out) {
    LeafTint(in, out);
}
void Metres(const float* in, float* out) {
    PositionInMetres(in, out);
}
void Normal(const float* in, float* out) {
    UnitNormal(in, out);
}

void PutU32(std::ostream& out, uint32_t v) {
    out.write(reinterpret_cast<const char*>(&v), 4);
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

} // namespace

bool WriteGlb(std::ostream& out, const TreeMesh& mesh, const TreePictures& pictures,
              const ExportInfo& info, const ExportProgress& progress) {
    // Lay out the binary chunk: each primitive's arrays, then the two pictures.
    std::vector<View> views;
    size_t binSize = 0;
    const auto addView = [&](size_t length, int target) {
        views.push_back({binSize, length, target});
        binSize += Padded(length);
        return views.size() - 1;
    };
    std::vector<PrimitiveLayout> primitives;
    for (const auto& [part, colours] : {std::pair{&mesh.bark, (const std::vector<float>*)nullptr},
                                        std::pair{&mesh.leaves, &mesh.leafColours}}) {
        const size_t n = part->vertexCount();
        if (n == 0 || part->indices.empty()) {
            continue;
        }
        PrimitiveLayout p{part, colours, 0, 0, 0, 0, 0};
        p.positions = addView(n * 12, ArrayBuffer);
        p.normals = addView(n * 12, ArrayBuffer);
        p.texCoords = addView(n * 8, ArrayBuffer);
        if (colours) {
            p.colourView = addView(n * 16, ArrayBuffer);
        }
        p.indices = addView(part->indices.size() * 4, ElementArrayBuffer);
        PositionBounds(*part, p.min, p.max);
        primitives.push_back(p);
    }
    const size_t barkImageView = addView(pictures.barkPng.size(), 0);
    const size_t leafImageView = addView(pictures.leafPng.size(), 0);

    // The JSON chunk.
    std::string accessors, meshPrimitives;
    size_t accessorCount = 0;
    const auto accessor = [&](size_t view, size_t count, int componentType, const char* type,
                              const std::string& extra = {}) {
        if (accessorCount > 0) {
            accessors += ",";
        }
        accessors += "{\"bufferView\":" + Number(view) +
                     ",\"componentType\":" + Number(uint64_t(componentType)) +
                     ",\"count\":" + Number(count) + ",\"type\":" + Quoted(type) + extra + "}";
        return accessorCount++;
    };
    for (const PrimitiveLayout& p : primitives) {
        const size_t n = p.part->vertexCount();
        const bool leaves = p.colours != nullptr;
        const std::string bounds = ",\"min\":[" + Number(p.min[0]) + "," + Number(p.min[1]) + "," +
                                   Number(p.min[2]) + "],\"max\":[" + Number(p.max[0]) + "," +
                                   Number(p.max[1]) + "," + Number(p.max[2]) + "]";
        const size_t position = accessor(p.positions, n, FloatType, "VEC3", bounds);
        const size_t normal = accessor(p.normals, n, FloatType, "VEC3");
        const size_t texCoord = accessor(p.texCoords, n, FloatType, "VEC2");
        std::string attributes = "\"POSITION\":" + Number(position) +
                                 ",\"NORMAL\":" + Number(normal) +
                                 ",\"TEXCOORD_0\":" + Number(texCoord);
        if (leaves) {
            attributes += ",\"COLOR_0\":" + Number(accessor(p.colourView, n, FloatType, "VEC4"));
        }
        const size_t indices =
            accessor(p.indices, p.part->indices.size(), UnsignedIntType, "SCALAR");
        if (!meshPrimitives.empty()) {
            meshPrimitives += ",";
        }
        meshPrimitives += "{\"attributes\":{" + attributes + "},\"indices\":" + Number(indices) +
                          ",\"material\":" + (leaves ? "1" : "0") + ",\"mode\":4}";
    }
    std::string bufferViews;
    for (size_t i = 0; i < views.size(); ++i) {
        bufferViews += (i ? ",{" : "{") + std::string("\"buffer\":0,\"byteOffset\":") +
                       Number(views[i].offset) + ",\"byteLength\":" + Number(views[i].length) +
                       (views[i].target ? ",\"target\":" + Number(uint64_t(views[i].target)) : "") +
                       "}";
    }
    std::string parameters;
    for (int row = 0; row < ParamCount; ++row) {
        parameters +=
            (row ? "," : "") + Quoted(ParamTable[row].name) + ":" + Number(info.parameters[row]);
    }
    std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":" + Quoted(GeneratorName()) +
                       ",\"extras\":{\"seed\":" + Number(uint64_t(info.seed)) +
                       ",\"parameters\":{" + parameters +
                       "}}},\"scene\":0,\"scenes\":[{\"name\":\"Dendrova\",\"nodes\":[0]}]";
    if (!primitives.empty()) {
        json += ",\"nodes\":[{\"name\":\"tree\",\"mesh\":0}],\"meshes\":[{\"name\":\"tree\","
                "\"primitives\":[" +
                meshPrimitives + "]}],\"accessors\":[" + accessors + "]";
    } else {
        json += ",\"nodes\":[{\"name\":\"tree\"}]";
    }
    json +=
        ",\"materials\":["
        "{\"name\":\"bark\",\"pbrMetallicRoughness\":{\"baseColorTexture\":{\"index\":0},"
        "\"metallicFactor\":0,\"roughnessFactor\":1}},"
        "{\"name\":\"leaf\",\"pbrMetallicRoughness\":{\"baseColorTexture\":{\"index\":1},"
        "\"metallicFactor\":0,\"roughnessFactor\":0.8},"
        "\"alphaMode\":\"MASK\",\"alphaCutoff\":0.9,\"doubleSided\":true}],"
        "\"textures\":[{\"sampler\":0,\"source\":0},{\"sampler\":0,\"source\":1}],"
        "\"samplers\":[{\"magFilter\":9729,\"minFilter\":9987,\"wrapS\":10497,"
        "\"wrapT\":10497}],"
        "\"images\":[{\"name\":\"bark\",\"bufferView\":" +
        Number(barkImageView) +
        ",\"mimeType\":\"image/png\"},{\"name\":\"leaf\",\"bufferView\":" + Number(leafImageView) +
        ",\"mimeType\":\"image/png\"}],"
        "\"bufferViews\":[" +
        bufferViews + "],\"buffers\":[{\"byteLength\":" + Number(binSize) + "}]}";
    json.resize(Padded(json.size()), ' ');

    // Header, JSON chunk, binary chunk.
    const size_t total = 12 + 8 + json.size() + 8 + binSize;
    if (total > std::numeric_limits<uint32_t>::max()) {
        return false; // a .glb cannot hold more than 4 GiB
    }
    PutU32(out, GlbMagic);
    PutU32(out, 2);
    PutU32(out, static_cast<uint32_t>(total));
    PutU32(out, static_cast<uint32_t>(json.size()));
    PutU32(out, ChunkJson);
    out.write(json.data(), static_cast<std::streamsize>(json.size()));
    PutU32(out, static_cast<uint32_t>(binSize));
    PutU32(out, ChunkBin);

    BlockWriter bin(out, progress, binSize);
    for (const PrimitiveLayout& p : primitives) {
        const MeshPart& part = *p.part;
        bin.Floats(part.positions.data(), part.positions.size(), 3, Metres);
        bin.Floats(part.normals.data(), part.normals.size(), 3, Normal);
        bin.Floats(part.texCoords.data(), part.texCoords.size(), 2, CopyFloats2);
        if (p.colours) {
            bin.Floats(p.colours->data(), 4 * part.vertexCount(), 4, Tint);
        }
        bin.Bytes(part.indices.data(), part.indices.size() * 4);
    }
    bin.Bytes(pictures.barkPng.data(), pictures.barkPng.size());
    bin.Pad(pictures.barkPng.size());
    bin.Bytes(pictures.leafPng.data(), pictures.leafPng.size());
    bin.Pad(pictures.leafPng.size());
    return bin.good();
}
