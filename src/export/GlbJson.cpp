#include "export/GlbDocument.h"

#include "model/JsonText.h"

namespace {

// The bark's base colour factor, which makes the bark look in other viewers about as dark
// as in Dendrova. There the bark picture is modulated by fixed-function lighting: 0.15
// ambient reflectance under the light's ambient 1 and the global ambient 0.2, plus 0.5
// diffuse reflectance under a light of 1 from the viewer's right, which over a tube seen
// from the front averages a quarter of its strength: 0.15 + 0.03 + 0.5 / 4, about 0.3 of
// the picture's values as shown. A physically based viewer decodes the picture from sRGB,
// lights it in linear light and encodes the result again, so 0.3 in shown values is about
// 0.3^2.2 = 0.07 to 0.3 in linear light, as the light falls; with a factor of 1 the bark
// shows the picture nearly as it is, pale grey-beige instead of dark brown-grey.
// Measured within that range: the mean colour of the trunk's pixels in a --render of the
// default tree (seed 1) is (37, 32, 28); f3d's render of the export shows the trunk at
// (73, 66, 57) with a factor of 1, (45, 41, 36) with 0.3, (39, 35, 32) with 0.2 and
// (35, 32, 29) with 0.15, the closest.
constexpr float BarkColourFactor = 0.15f;

void Floats(JsonWriter& json, const char* key, const std::vector<float>& values) {
    json.Key(key).BeginArray();
    for (const float v : values) {
        json.Float(v);
    }
    json.EndArray();
}

// What a file records about the tree: the seed and the thirteen parameters by name.
void TreeRecord(JsonWriter& json, const ExportInfo& info) {
    json.BeginObject().Key("seed").Integer(info.seed);
    json.Key("parameters").BeginObject();
    for (int row = 0; row < ParamCount; ++row) {
        json.Key(ParamTable[row].name).Float(info.parameters[row]);
    }
    json.EndObject().EndObject();
}

void Primitive(JsonWriter& json, const GlbPrimitive& p) {
    json.BeginObject().Key("attributes").BeginObject();
    json.Key("POSITION").Integer(p.position).Key("NORMAL").Integer(p.normal);
    json.Key("TEXCOORD_0").Integer(p.texCoord);
    if (p.colour) {
        json.Key("COLOR_0").Integer(*p.colour);
    }
    if (p.wind) {
        json.Key("_WIND").Integer(*p.wind);
    }
    json.EndObject().Key("indices").Integer(p.indices);
    json.Key("material").Integer(static_cast<uint64_t>(p.material)).Key("mode").Integer(4);
    if (p.sway) {
        json.Key("targets").BeginArray();
        for (const size_t target : *p.sway) {
            json.BeginObject().Key("POSITION").Integer(target).EndObject();
        }
        json.EndArray();
    }
    json.EndObject();
}

void Meshes(JsonWriter& json, const GlbDocument& doc) {
    json.Key("meshes").BeginArray();
    for (const GlbMesh& mesh : doc.meshes) {
        json.BeginObject().Key("name").String(mesh.name).Key("primitives").BeginArray();
        for (const GlbPrimitive& p : mesh.primitives) {
            Primitive(json, p);
        }
        json.EndArray();
        if (doc.sway) {
            // At rest until the animation moves it; the names become shape key names.
            json.Key("weights").BeginArray().Integer(0).Integer(0).EndArray();
            json.Key("extras").BeginObject().Key("targetNames").BeginArray();
            json.String("wind x").String("wind z").EndArray().EndObject();
        }
        json.EndObject();
    }
    json.EndArray();
}

// One channel a node with a mesh, each with its own sampler over the same keys.
void SwayAnimation(JsonWriter& json, const GlbDocument& doc) {
    std::vector<size_t> driven;
    for (size_t n = 0; n < doc.nodes.size(); ++n) {
        if (doc.nodes[n].mesh) {
            driven.push_back(n);
        }
    }
    json.Key("animations").BeginArray().BeginObject().Key("name").String("wind");
    json.Key("channels").BeginArray();
    for (size_t i = 0; i < driven.size(); ++i) {
        json.BeginObject().Key("sampler").Integer(i).Key("target").BeginObject();
        json.Key("node").Integer(driven[i]).Key("path").String("weights").EndObject().EndObject();
    }
    json.EndArray().Key("samplers").BeginArray();
    for (size_t i = 0; i < driven.size(); ++i) {
        json.BeginObject().Key("input").Integer(doc.sway->times);
        json.Key("interpolation").String("LINEAR");
        json.Key("output").Integer(doc.sway->weights).EndObject();
    }
    json.EndArray().EndObject().EndArray();
}

void Accessors(JsonWriter& json, const GlbDocument& doc) {
    json.Key("accessors").BeginArray();
    for (const GlbAccessor& a : doc.accessors) {
        json.BeginObject().Key("bufferView").Integer(a.view);
        if (a.offset) {
            json.Key("byteOffset").Integer(a.offset);
        }
        json.Key("componentType").Integer(static_cast<uint64_t>(a.componentType));
        if (a.normalized) {
            json.Key("normalized").Bool(true);
        }
        json.Key("count").Integer(a.count).Key("type").String(a.type);
        if (!a.min.empty()) {
            Floats(json, "min", a.min);
            Floats(json, "max", a.max);
        }
        json.EndObject();
    }
    json.EndArray();
}

void Materials(JsonWriter& json, const GlbDocument& doc) {
    json.Key("materials").BeginArray();
    json.BeginObject().Key("name").String("bark").Key("pbrMetallicRoughness").BeginObject();
    json.Key("baseColorFactor").BeginArray();
    for (int i = 0; i < 3; ++i) {
        json.Float(BarkColourFactor);
    }
    json.Integer(1).EndArray();
    json.Key("baseColorTexture").BeginObject().Key("index").Integer(0).EndObject();
    json.Key("metallicFactor").Integer(0).Key("roughnessFactor").Integer(1);
    json.EndObject().EndObject();
    json.BeginObject().Key("name").String("leaf").Key("pbrMetallicRoughness").BeginObject();
    json.Key("baseColorTexture").BeginObject().Key("index").Integer(1).EndObject();
    json.Key("metallicFactor").Integer(0).Key("roughnessFactor").Float(0.8f).EndObject();
    json.Key("alphaMode").String("MASK").Key("alphaCutoff").Float(0.9f);
    json.Key("doubleSided").Bool(true).EndObject();
    if (doc.impostorMaterial) {
        // The pictures of the whole tree, cut out where they are transparent.
        json.BeginObject().Key("name").String("impostor");
        json.Key("pbrMetallicRoughness").BeginObject();
        if (doc.atlasImage) {
            json.Key("baseColorTexture").BeginObject().Key("index").Integer(2).EndObject();
        }
        json.Key("metallicFactor").Integer(0).Key("roughnessFactor").Float(0.8f).EndObject();
        json.Key("alphaMode").String("MASK").Key("doubleSided").Bool(true).EndObject();
    }
    json.EndArray();
}

void Pictures(JsonWriter& json, const GlbDocument& doc) {
    std::vector<std::pair<const char*, size_t>> images = {{"bark", doc.barkImage},
                                                          {"leaf", doc.leafImage}};
    if (doc.atlasImage) {
        images.emplace_back("impostor", *doc.atlasImage);
    }
    json.Key("textures").BeginArray();
    for (size_t source = 0; source < images.size(); ++source) {
        // The atlas's views lie side by side: sampled up to their edges, never beyond.
        const int sampler = source == 2 ? 1 : 0;
        json.BeginObject().Key("sampler").Integer(static_cast<uint64_t>(sampler));
        json.Key("source").Integer(source).EndObject();
    }
    json.EndArray();
    json.Key("samplers").BeginArray();
    for (const int wrap : {10497, 33071}) { // REPEAT for the pictures that tile, CLAMP_TO_EDGE
        if (wrap == 33071 && !doc.atlasImage) {
            break;
        }
        json.BeginObject().Key("magFilter").Integer(9729).Key("minFilter").Integer(9987);
        json.Key("wrapS").Integer(static_cast<uint64_t>(wrap));
        json.Key("wrapT").Integer(static_cast<uint64_t>(wrap)).EndObject();
    }
    json.EndArray();
    json.Key("images").BeginArray();
    for (const auto& [name, view] : images) {
        json.BeginObject().Key("name").String(name).Key("bufferView").Integer(view);
        json.Key("mimeType").String("image/png").EndObject();
    }
    json.EndArray();
}

void Views(JsonWriter& json, const GlbDocument& doc) {
    json.Key("bufferViews").BeginArray();
    for (const GlbView& v : doc.views) {
        json.BeginObject().Key("buffer").Integer(0).Key("byteOffset").Integer(v.offset);
        json.Key("byteLength").Integer(v.length);
        if (v.stride) {
            json.Key("byteStride").Integer(v.stride);
        }
        if (v.target) {
            json.Key("target").Integer(static_cast<uint64_t>(v.target));
        }
        json.EndObject();
    }
    json.EndArray();
    json.Key("buffers").BeginArray().BeginObject().Key("byteLength").Integer(doc.binSize);
    json.EndObject().EndArray();
}

} // namespace

std::string GlbJsonChunk(const GlbDocument& doc) {
    JsonWriter json;
    json.BeginObject();
    json.Key("asset").BeginObject();
    json.Key("version").String("2.0").Key("generator").String(GeneratorName());
    json.Key("extras");
    TreeRecord(json, doc.info);
    json.EndObject();
    json.Key("scene").Integer(0);
    json.Key("scenes").BeginArray().BeginObject().Key("name").String("Dendrova");
    json.Key("nodes").BeginArray();
    for (size_t n = 0; n < doc.nodes.size(); ++n) {
        json.Integer(n);
    }
    json.EndArray().EndObject().EndArray();
    // Each node records the tree too: importers that keep a node's extras (as custom
    // properties) often drop the asset's.
    json.Key("nodes").BeginArray();
    for (const GlbNode& node : doc.nodes) {
        json.BeginObject().Key("name").String(node.name);
        if (node.mesh) {
            json.Key("mesh").Integer(*node.mesh);
        }
        json.Key("extras");
        TreeRecord(json, doc.info);
        json.EndObject();
    }
    json.EndArray();
    if (!doc.meshes.empty()) {
        Meshes(json, doc);
    }
    if (doc.sway) {
        SwayAnimation(json, doc);
    }
    if (!doc.accessors.empty()) {
        Accessors(json, doc);
    }
    Materials(json, doc);
    Pictures(json, doc);
    Views(json, doc);
    json.EndObject();
    return json.Text();
}
