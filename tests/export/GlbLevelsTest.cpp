// Levels of detail and wind in the binary glTF, read back from the bytes written: what an
// engine's shader or importer gets out of the file must be what the mesh holds.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/AtlasPicture.h"
#include "export/FileOutput.h"
#include "export/GltfWriter.h"
#include "export/SessionOutput.h"
#include "mesh/TreeLevels.h"
#include "mesh/TreeWind.h"
#include "model/TreeSession.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace {

// A .glb taken apart: its JSON and its binary chunk, with typed reads of its accessors.
struct Glb {
    explicit Glb(std::string bytes) : glb(std::move(bytes)) {
        uint32_t jsonLength;
        std::memcpy(&jsonLength, glb.data() + 12, 4);
        json = QJsonDocument::fromJson(QByteArray(glb.data() + 20, jsonLength)).object();
        bin = glb.data() + 20 + jsonLength + 8;
    }
    QJsonObject Accessor(int a) const { return json["accessors"][a].toObject(); }
    // Component `c` of element `i` of accessor `a`, as the reader converts it to a number.
    double Read(int a, size_t i, int c = 0) const {
        const QJsonObject accessor = Accessor(a);
        const QJsonObject view = json["bufferViews"][accessor["bufferView"].toInt()].toObject();
        const int type = accessor["componentType"].toInt();
        const size_t size = type == 5126 || type == 5125 ? 4 : type == 5123 ? 2 : 1;
        const size_t width = accessor["type"].toString() == "SCALAR" ? 1
                             : accessor["type"].toString() == "VEC2" ? 2
                             : accessor["type"].toString() == "VEC3" ? 3
                                                                     : 4;
        const size_t stride =
            view["byteStride"].toInt() ? view["byteStride"].toInt() : size * width;
        const char* p = bin + view["byteOffset"].toInteger() + accessor["byteOffset"].toInt() +
                        i * stride + c * size;
        if (type == 5126) {
            float f;
            std::memcpy(&f, p, 4);
            return f;
        }
        uint32_t v = 0;
        std::memcpy(&v, p, size);
        return accessor["normalized"].toBool() ? v / 255.0 : v;
    }
    // The bytes of image `i`.
    std::string Image(int i) const {
        const QJsonObject view =
            json["bufferViews"][json["images"][i]["bufferView"].toInt()].toObject();
        return std::string(bin + view["byteOffset"].toInteger(), view["byteLength"].toInt());
    }

    std::string glb;
    QJsonObject json;
    const char* bin;
};

std::string Written(const GlbContent& content, const TreePictures& pictures) {
    std::ostringstream out;
    EXPECT_TRUE(WriteGlb(out, content, pictures, ExportInfoOf(TreeParams{}, 3)));
    return out.str();
}

class GlbLevelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.Regrow();
        full = BuildTreeMesh(session.model(), session.params(), true, 0, true);
        lighter = LighterLevels(full, 4);
        content = GlbContentOf(full);
        content.name = "oak";
        content.wind = true;
        content.atlasPng = "atlas pictures";
        for (const TreeLevel& level : lighter) {
            content.levels.push_back(level.impostor ? GlbLevel{nullptr, &level.quads}
                                                    : GlbLevel{&level.mesh, nullptr});
        }
        pictures.barkPng = "bark";
        pictures.leafPng = "leaf!";
    }

    // The parts of level k as written: bark and leaves, or the impostor's quads.
    std::vector<const MeshPart*> Parts(size_t k) const {
        if (k > 0 && lighter[k - 1].impostor) {
            return {&lighter[k - 1].quads};
        }
        const TreeMesh& mesh = k == 0 ? full : lighter[k - 1].mesh;
        return {&mesh.bark, &mesh.leaves};
    }
    const std::vector<float>& Colours(size_t k) const {
        return k == 0 ? full.leafColours : lighter[k - 1].mesh.leafColours;
    }

    TreeSession session{TreeParams{}, 3};
    TreeMesh full;
    std::vector<TreeLevel> lighter;
    GlbContent content;
    TreePictures pictures;
};

} // namespace

// The levels as nodes of their own, each mesh's arrays exactly the mesh's: indices of the
// width their vertex count allows, tints in bytes, the wind data, and both morph targets a
// vertex's weight times the tree's amplitude, with the bounds the data has.
TEST_F(GlbLevelsTest, EveryLevelReadsBackAsItsMesh) {
    const Glb glb(Written(content, pictures));
    const QJsonArray nodes = glb.json["nodes"].toArray();
    ASSERT_EQ(nodes.size(), 4);
    const double top =
        glb.Accessor(
               glb.json["meshes"][0]["primitives"][1]["attributes"]["POSITION"].toInt())["max"][1]
            .toDouble();
    const double amplitude = WindAmplitude(top);
    EXPECT_NEAR(amplitude, 0.4, 0.05); // the default tree is about 10 m tall
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(nodes[k]["name"].toString(), QString("oak_LOD%1").arg(k));
        EXPECT_EQ(nodes[k]["extras"]["seed"].toInt(), 3);
        EXPECT_EQ(nodes[k]["extras"]["parameters"].toObject().size(), ParamCount);
        const QJsonObject mesh = glb.json["meshes"][nodes[k]["mesh"].toInt()].toObject();
        EXPECT_EQ(mesh["weights"].toArray(), (QJsonArray{0, 0}));
        const QJsonArray primitives = mesh["primitives"].toArray();
        const std::vector<const MeshPart*> parts = Parts(k);
        ASSERT_EQ(primitives.size(), static_cast<int>(parts.size()));
        for (size_t p = 0; p < parts.size(); ++p) {
            const MeshPart& part = *parts[p];
            const QJsonObject primitive = primitives[static_cast<int>(p)].toObject();
            const QJsonObject attributes = primitive["attributes"].toObject();
            const int indices = primitive["indices"].toInt();
            EXPECT_EQ(glb.Accessor(indices)["componentType"].toInt(),
                      part.vertexCount() <= 65535 ? 5123 : 5125);
            for (size_t i = 0; i < part.indices.size(); i += 7) {
                ASSERT_EQ(glb.Read(indices, i), part.indices[i]) << "level " << k;
            }
            const int wind = attributes["_WIND"].toInt();
            const int alongX = primitive["targets"][0]["POSITION"].toInt();
            const int alongZ = primitive["targets"][1]["POSITION"].toInt();
            double most = 0.0;
            for (size_t v = 0; v < part.vertexCount(); v += 5) {
                ASSERT_EQ(glb.Read(wind, v, 0), part.wind[2 * v]);
                ASSERT_EQ(glb.Read(wind, v, 1), part.wind[2 * v + 1]);
                const double reach = part.wind[2 * v] * amplitude;
                ASSERT_NEAR(glb.Read(alongX, v, 0), reach, 1e-6);
                ASSERT_EQ(glb.Read(alongX, v, 1), 0.0);
                ASSERT_EQ(glb.Read(alongX, v, 2), 0.0);
                ASSERT_EQ(glb.Read(alongZ, v, 0), 0.0);
                ASSERT_EQ(glb.Read(alongZ, v, 1), 0.0);
                ASSERT_NEAR(glb.Read(alongZ, v, 2), reach, 1e-6);
                most = std::max(most, glb.Read(alongX, v, 0));
            }
            // The bounds as floats (the JSON holds their shortest text).
            EXPECT_GE(static_cast<float>(glb.Accessor(alongX)["max"][0].toDouble()),
                      static_cast<float>(most));
            EXPECT_EQ(glb.Accessor(alongZ)["max"][2].toDouble(),
                      glb.Accessor(alongX)["max"][0].toDouble());
            if (attributes.contains("COLOR_0")) {
                const int colour = attributes["COLOR_0"].toInt();
                EXPECT_TRUE(glb.Accessor(colour)["normalized"].toBool());
                for (size_t v = 0; v < part.vertexCount(); v += 3) {
                    float tint[4];
                    LeafTint(&Colours(k)[4 * v], tint);
                    for (int c = 0; c < 4; ++c) {
                        ASSERT_NEAR(glb.Read(colour, v, c), tint[c], 0.5 / 255 + 1e-6);
                    }
                }
            }
        }
    }
    // The weight of the tip of the full tree is 1: it sways by the whole amplitude.
    const int tipTarget = glb.json["meshes"][0]["primitives"][1]["targets"][0]["POSITION"].toInt();
    EXPECT_NEAR(glb.Accessor(tipTarget)["max"][0].toDouble(), amplitude, 1e-6);
}

// The impostor level: its own material on the atlas, cut out and double-sided, the atlas
// embedded byte for byte; the loop drives every level and closes on itself.
TEST_F(GlbLevelsTest, ImpostorAndWindLoop) {
    const Glb glb(Written(content, pictures));
    const QJsonObject impostor = glb.json["meshes"][3]["primitives"][0].toObject();
    const QJsonObject material = glb.json["materials"][impostor["material"].toInt()].toObject();
    EXPECT_EQ(material["name"].toString(), "impostor");
    EXPECT_EQ(material["alphaMode"].toString(), "MASK");
    EXPECT_TRUE(material["doubleSided"].toBool());
    const int texture = material["pbrMetallicRoughness"]["baseColorTexture"]["index"].toInt();
    EXPECT_EQ(glb.Image(glb.json["textures"][texture]["source"].toInt()), "atlas pictures");
    EXPECT_EQ(
        glb.json["samplers"][glb.json["textures"][texture]["sampler"].toInt()]["wrapS"].toInt(),
        33071);

    const QJsonArray animations = glb.json["animations"].toArray();
    ASSERT_EQ(animations.size(), 1);
    EXPECT_EQ(animations[0]["name"].toString(), "wind");
    const QJsonArray channels = animations[0]["channels"].toArray();
    ASSERT_EQ(channels.size(), 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(channels[k]["target"]["node"].toInt(), k);
        EXPECT_EQ(channels[k]["target"]["path"].toString(), "weights");
    }
    const QJsonObject sampler = animations[0]["samplers"][0].toObject();
    const int times = sampler["input"].toInt(), weights = sampler["output"].toInt();
    const int keys = glb.Accessor(times)["count"].toInt();
    ASSERT_GE(keys, 9);
    EXPECT_EQ(glb.Accessor(weights)["count"].toInt(), 2 * keys);
    EXPECT_EQ(glb.Read(times, 0), 0.0);
    EXPECT_EQ(glb.Read(times, keys - 1), WindPeriodSeconds);
    for (int key = 0; key < keys; ++key) {
        const WindSway sway = WindSwayAt(glb.Read(times, key));
        EXPECT_NEAR(glb.Read(weights, 2 * key), sway.x, 1e-6);
        EXPECT_NEAR(glb.Read(weights, 2 * key + 1), sway.z, 1e-6);
    }
    EXPECT_EQ(glb.Read(weights, 2 * keys - 2), glb.Read(weights, 0));
    EXPECT_EQ(glb.Read(weights, 2 * keys - 1), glb.Read(weights, 1));
}

// 16-bit indices up to 65,535 vertices, 32-bit from 65,536 on, where the highest index
// must come through whole.
TEST_F(GlbLevelsTest, IndexWidthFollowsTheVertexCount) {
    for (const uint32_t vertices : {65535u, 65536u}) {
        TreeMesh mesh;
        mesh.bark.positions.assign(3 * vertices, 1.0f);
        mesh.bark.normals.assign(3 * vertices, 1.0f);
        mesh.bark.texCoords.assign(2 * vertices, 0.0f);
        mesh.bark.indices = {0, vertices - 2, vertices - 1};
        const Glb glb(Written(GlbContentOf(mesh), pictures));
        const int indices = glb.json["meshes"][0]["primitives"][0]["indices"].toInt();
        EXPECT_EQ(glb.Accessor(indices)["componentType"].toInt(), vertices == 65535 ? 5123 : 5125);
        EXPECT_EQ(glb.Read(indices, 2), vertices - 1);
    }
}

namespace {

// Plain bark and leaf pictures.
class FixedPictures final : public Platform {
public:
    FixedPictures() : previous_(SetPlatform(this)) {}
    ~FixedPictures() override { SetPlatform(previous_); }
    bool LoadBitmap(const std::string&, BitmapPixels& out) override {
        out = {std::vector<uint8_t>(4 * 4 * 3, 100), 4, 4};
        return true;
    }
    void ShowWarning(const std::string&) override {}
    void ShowError(const std::string&) override {}
    bool OpenUri(const std::string&) override { return false; }

private:
    Platform* previous_;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

// A session's export with levels: the atlas drawn by the caller, made a power of two wide
// and embedded; node names from the file's name, whose bytes that are not UTF-8 become
// U+FFFD in the JSON; no drawing, no file.
TEST_F(GlbLevelsTest, SessionExportDrawsTheImpostorOnce) {
    const FixedPictures platform;
    const fs::path folder =
        fs::temp_directory_path() / ("dendrova-levels-" + std::to_string(getpid()));
    fs::create_directories(folder);
    TreeExportLevels levels;
    levels.count = 3;
    levels.wind = true;
    const fs::path refused = folder / "none.glb";
    {
        PendingFiles files;
        EXPECT_FALSE(AddTreeExport(refused.string(), session, files, {}, levels));
        EXPECT_TRUE(files.PlaceAll());
    }
    EXPECT_FALSE(fs::exists(refused));

    int drawn = 0;
    levels.drawImpostor = [&drawn](const TreeMesh&,
                                   const ImpostorFrame& frame) -> Result<RasterImage> {
        ++drawn;
        EXPECT_EQ(frame.views, ImpostorViews);
        RasterImage atlas{300, 64, 4, std::vector<uint8_t>(300 * 64 * 4, 200)};
        return atlas;
    };
    const fs::path path = folder / "ok\xe9.glb";
    {
        PendingFiles files;
        const Result<> added = AddTreeExport(path.string(), session, files, {}, levels);
        ASSERT_TRUE(added) << added.Error().message;
        ASSERT_TRUE(files.PlaceAll());
    }
    EXPECT_EQ(drawn, 1);
    const Glb glb(ReadFile(path));
    EXPECT_NE(glb.glb.find("\"name\":\"ok\xEF\xBF\xBD_LOD2\""), std::string::npos);
    ASSERT_EQ(glb.json["nodes"].toArray().size(), 3);
    const std::string atlas = glb.Image(2);
    const QImage image = QImage::fromData(QByteArray(atlas.data(), atlas.size()), "PNG");
    EXPECT_EQ(image.width(), 256);
    EXPECT_EQ(image.height(), 64);
    EXPECT_TRUE(image.hasAlphaChannel());
    fs::remove_all(folder);
}

// Resampled to powers of two, an opaque pixel beside transparent ones keeps its colour
// (alpha-weighted filtering), and a picture that is a power of two already stays as it is.
TEST(AtlasPicture, PowerOfTwoSidesKeepTheColoursOfTheOutline) {
    RasterImage atlas{3, 1, 4, {0, 0, 0, 0, 200, 100, 50, 255, 0, 0, 0, 0}};
    const RasterImage resampled = PowerOfTwoAtlas(atlas);
    ASSERT_EQ(resampled.width, 4);
    ASSERT_EQ(resampled.height, 1);
    for (int x = 0; x < 4; ++x) {
        const uint8_t* p = &resampled.pixels[4 * x];
        if (p[3] > 0) {
            EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{200, 100, 50}));
        }
    }
    EXPECT_GT(resampled.pixels[4 * 1 + 3] + resampled.pixels[4 * 2 + 3], 255);

    const RasterImage square{2, 2, 4, std::vector<uint8_t>(16, 7)};
    EXPECT_EQ(PowerOfTwoAtlas(square).pixels, square.pixels);
    const RasterImage tall = PowerOfTwoAtlas({5, 40, 4, std::vector<uint8_t>(5 * 40 * 4, 9)});
    EXPECT_EQ(tall.width, 4);
    EXPECT_EQ(tall.height, 32);
    EXPECT_EQ(tall.pixels, std::vector<uint8_t>(4 * 32 * 4, 9));
}
