#include "export/GltfWriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#include "model/JsonText.h"

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

// One accessor of the JSON chunk: a typed view of a slice of the binary chunk.
struct Accessor {
    size_t view;
    size_t count;
    int componentType;
    const char* type;
    const std::array<float, 3>* min = nullptr; // positions only: their bounds
    const std::array<float, 3>* max = nullptr;
};

// What each primitive's attributes and indices are, as accessor numbers.
struct PrimitiveAccessors {
    size_t position, normal, texCoord, colour, indices;
    bool leaves;
};

void Bounds(JsonWriter& json, const char* key, const std::array<float, 3>& v) {
    json.Key(key).BeginArray().Float(v[0]).Float(v[1]).Float(v[2]).EndArray();
}

// The JSON chunk: the scene, its one mesh and two materials, the accessors and views of
// the binary chunk of `binSize` bytes, and what the file records about the tree.
std::string GlbJson(const std::vector<PrimitiveLayout>& primitives, const std::vector<View>& views,
                    size_t barkImageView, size_t leafImageView, size_t binSize,
                    const ExportInfo& info) {
    std::vector<Accessor> accessors;
    std::vector<PrimitiveAccessors> meshPrimitives;
    const auto add = [&accessors](Accessor a) {
        accessors.push_back(a);
        return accessors.size() - 1;
    };
    for (const PrimitiveLayout& p : primitives) {
        const size_t n = p.part->vertexCount();
        PrimitiveAccessors m{};
        m.leaves = p.colours != nullptr;
        m.position = add({p.positions, n, FloatType, "VEC3", &p.min, &p.max});
        m.normal = add({p.normals, n, FloatType, "VEC3"});
        m.texCoord = add({p.texCoords, n, FloatType, "VEC2"});
        if (m.leaves) {
            m.colour = add({p.colourView, n, FloatType, "VEC4"});
        }
        m.indices = add({p.indices, p.part->indices.size(), UnsignedIntType, "SCALAR"});
        meshPrimitives.push_back(m);
    }

    JsonWriter json;
    json.BeginObject();
    json.Key("asset").BeginObject();
    json.Key("version").String("2.0").Key("generator").String(GeneratorName());
    json.Key("extras").BeginObject().Key("seed").Integer(info.seed);
    json.Key("parameters").BeginObject();
    for (int row = 0; row < ParamCount; ++row) {
        json.Key(ParamTable[row].name).Float(info.parameters[row]);
    }
    json.EndObject().EndObject().EndObject();
    json.Key("scene").Integer(0);
    json.Key("scenes").BeginArray().BeginObject().Key("name").String("Dendrova");
    json.Key("nodes").BeginArray().Integer(0).EndArray().EndObject().EndArray();
    json.Key("nodes").BeginArray().BeginObject().Key("name").String("tree");
    if (!primitives.empty()) {
        json.Key("mesh").Integer(0);
    }
    json.EndObject().EndArray();
    if (!primitives.empty()) {
        json.Key("meshes").BeginArray().BeginObject().Key("name").String("tree");
        json.Key("primitives").BeginArray();
        for (const PrimitiveAccessors& m : meshPrimitives) {
            json.BeginObject().Key("attributes").BeginObject();
            json.Key("POSITION").Integer(m.position).Key("NORMAL").Integer(m.normal);
            json.Key("TEXCOORD_0").Integer(m.texCoord);
            if (m.leaves) {
                json.Key("COLOR_0").Integer(m.colour);
            }
            json.EndObject().Key("indices").Integer(m.indices);
            json.Key("material").Integer(m.leaves ? 1 : 0).Key("mode").Integer(4).EndObject();
        }
        json.EndArray().EndObject().EndArray();
        json.Key("accessors").BeginArray();
        for (const Accessor& a : accessors) {
            json.BeginObject().Key("bufferView").Integer(a.view);
            json.Key("componentType").Integer(static_cast<uint64_t>(a.componentType));
            json.Key("count").Integer(a.count).Key("type").String(a.type);
            if (a.min) {
                Bounds(json, "min", *a.min);
                Bounds(json, "max", *a.max);
            }
            json.EndObject();
        }
        json.EndArray();
    }
    json.Key("materials").BeginArray();
    json.BeginObject().Key("name").String("bark").Key("pbrMetallicRoughness").BeginObject();
    json.Key("baseColorTexture").BeginObject().Key("index").Integer(0).EndObject();
    json.Key("metallicFactor").Integer(0).Key("roughnessFactor").Integer(1);
    json.EndObject().EndObject();
    json.BeginObject().Key("name").String("leaf").Key("pbrMetallicRoughness").BeginObject();
    json.Key("baseColorTexture").BeginObject().Key("index").Integer(1).EndObject();
    json.Key("metallicFactor").Integer(0).Key("roughnessFactor").Float(0.8f).EndObject();
    json.Key("alphaMode").String("MASK").Key("alphaCutoff").Float(0.9f);
    json.Key("doubleSided").Bool(true).EndObject();
    json.EndArray();
    json.Key("textures").BeginArray();
    for (int source = 0; source < 2; ++source) {
        json.BeginObject().Key("sampler").Integer(0).Key("source").Integer(source).EndObject();
    }
    json.EndArray();
    json.Key("samplers").BeginArray().BeginObject();
    json.Key("magFilter").Integer(9729).Key("minFilter").Integer(9987);
    json.Key("wrapS").Integer(10497).Key("wrapT").Integer(10497);
    json.EndObject().EndArray();
    json.Key("images").BeginArray();
    for (const auto& [name, view] : {std::pair{"bark", barkImageView}, {"leaf", leafImageView}}) {
        json.BeginObject().Key("name").String(name).Key("bufferView").Integer(view);
        json.Key("mimeType").String("image/png").EndObject();
    }
    json.EndArray();
    json.Key("bufferViews").BeginArray();
    for (const View& v : views) {
        json.BeginObject().Key("buffer").Integer(0).Key("byteOffset").Integer(v.offset);
        json.Key("byteLength").Integer(v.length);
        if (v.target) {
            json.Key("target").Integer(static_cast<uint64_t>(v.target));
        }
        json.EndObject();
    }
    json.EndArray();
    json.Key("buffers").BeginArray().BeginObject().Key("byteLength").Integer(binSize);
    json.EndObject().EndArray();
    json.EndObject();
    return json.Text();
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

    std::string json = GlbJson(primitives, views, barkImageView, leafImageView, binSize, info);
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
