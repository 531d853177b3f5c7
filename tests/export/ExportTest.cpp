// The exporters' own guarantees that outside readers cannot see: the binary glTF's
// layout and frame, the leaf picture's mask, and that failures leave no files behind.
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

#include <thread>

#include "export/ExportTree.h"
#include "export/FileOutput.h"
#include "export/GltfWriter.h"
#include "export/SessionOutput.h"
#include "model/TreeModel.h"
#include "model/TreeSession.h"
#include "platform/PixelOrder.h"
#include "platform/Platform.h"
#include "platform/QtPlatform.h"

namespace fs = std::filesystem;

namespace {

uint32_t U32(const std::string& s, size_t at) {
    uint32_t v;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.Regrow();
        mesh = BuildTreeMesh(session.model(), session.params());
        pictures.barkPng = "bark";
        pictures.leafPng = "leaf!";
        folder = fs::temp_directory_path() / ("dendrova-export-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    TreeSession session{TreeParams{}, 3};
    TreeMesh mesh;
    TreePictures pictures;
    fs::path folder;
};

} // namespace

TEST_F(ExportTest, GlbChunksAccessorsAndFrame) {
    std::ostringstream out;
    ASSERT_TRUE(WriteGlb(out, mesh, pictures, ExportInfoOf(session.params(), 3)));
    const std::string glb = out.str();
    ASSERT_EQ(U32(glb, 0), 0x46546C67u);
    EXPECT_EQ(U32(glb, 4), 2u);
    EXPECT_EQ(U32(glb, 8), glb.size());
    const uint32_t jsonLength = U32(glb, 12);
    EXPECT_EQ(jsonLength % 4, 0u);
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray(glb.data() + 20, jsonLength)).object();
    ASSERT_FALSE(json.isEmpty());
    const uint32_t binLength = U32(glb, 20 + jsonLength);
    EXPECT_EQ(json["buffers"][0]["byteLength"].toInteger(), binLength);
    EXPECT_EQ(20 + jsonLength + 8 + binLength, glb.size());

    // The trunk's foot on the origin, the default tree about 10 m tall.
    const QJsonArray primitives = json["meshes"][0]["primitives"].toArray();
    ASSERT_EQ(primitives.size(), 2);
    const QJsonObject barkPosition =
        json["accessors"][primitives[0]["attributes"]["POSITION"].toInt()].toObject();
    EXPECT_EQ(barkPosition["min"][1].toDouble(), 0.0);
    const QJsonObject leafPosition =
        json["accessors"][primitives[1]["attributes"]["POSITION"].toInt()].toObject();
    EXPECT_NEAR(leafPosition["max"][1].toDouble(), 10.0, 0.5);
    EXPECT_EQ(barkPosition["count"].toInt(), static_cast<int>(mesh.bark.vertexCount()));

    // Every normal written has unit length, including ones the mesh keeps short.
    const char* bin = glb.data() + 20 + jsonLength + 8;
    const QJsonObject normals =
        json["accessors"][primitives[0]["attributes"]["NORMAL"].toInt()].toObject();
    const int64_t offset =
        json["bufferViews"][normals["bufferView"].toInt()]["byteOffset"].toInteger();
    for (int i = 0; i < normals["count"].toInt(); i += 97) {
        float n[3];
        std::memcpy(n, bin + offset + 12 * i, 12);
        EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-5f);
    }
    const QJsonObject leaf = json["materials"][1].toObject();
    EXPECT_EQ(leaf["alphaMode"].toString(), "MASK");
    EXPECT_EQ(json["asset"]["extras"]["seed"].toInt(), 3);
}

namespace {

// The JSON chunk of `glb` without the blanks that pad it to four bytes, which it must have.
std::string JsonChunk(const std::string& glb) {
    std::string json = glb.substr(20, U32(glb, 12));
    const size_t end = json.find_last_not_of(' ') + 1;
    EXPECT_LT(json.size() - end, 4u);
    json.resize(end);
    return json;
}

// What tests/export/expected/<name>.json holds, for this version of the program.
std::string Expected(const char* name) {
    std::string text = Read(fs::path(DENDROVA_EXPECTED_DIR) / (std::string(name) + ".json"));
    text.resize(text.find_last_not_of('\n') + 1);
    const std::string placeholder = "@GENERATOR@";
    return text.replace(text.find(placeholder), placeholder.size(), GeneratorName());
}

} // namespace

// The JSON chunk of a small mesh, byte for byte: the same tree gives the same file as the
// versions before.
TEST_F(ExportTest, GlbJsonChunkIsTheSameTextAsEver) {
    TreeMesh small;
    small.bark.positions = {0, 0, 0, 1, 0, 0, 0, 16, 0.1f};
    small.bark.normals = {0, 0, 1, 0, 0, 2, 0, 0, 1};
    small.bark.texCoords = {0, 0, 1, 0, 0, 1};
    small.bark.indices = {0, 1, 2};
    small.leaves.positions = {0.5f, 20, 0, 0.5f, 21, 0, -0.5f, 21, 0, -0.5f, 20, -1e-7f};
    small.leaves.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    small.leaves.texCoords = {1, 0, 1, 1, 0, 1, 0, 0};
    small.leaves.indices = {0, 1, 2, 0, 2, 3};
    small.leafColours.assign(16, 0.47f);
    ExportInfo info = ExportInfoOf(TreeParams{}, 4000000000u);
    info.parameters[0] = 1.0f / 3.0f;
    std::ostringstream out;
    ASSERT_TRUE(WriteGlb(out, small, pictures, info));
    EXPECT_EQ(JsonChunk(out.str()), Expected("small-mesh"));

    // A mesh with no geometry: no mesh at all, the node alone.
    std::ostringstream empty;
    ASSERT_TRUE(WriteGlb(empty, TreeMesh{}, pictures, info));
    EXPECT_EQ(JsonChunk(empty.str()), Expected("no-geometry"));
}

TEST_F(ExportTest, LeafPictureIsOpaqueOnTheLeaf) {
    // The bitmap: blue 234 around the leaf (the viewer cuts it away), blue 0 on the leaf.
    BitmapPixels bitmap{{234, 255, 255, 0, 200, 40}, 2, 1};
    const RasterImage image = LeafPicture(bitmap);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{255, 255, 0, 21, 40, 200, 0, 255}));
}

// The built-in bark picture goes from Qt's R, G, B rows to the bitmap's B, G, R and back to
// R, G, B for the files: the picture exported is the committed one, pixel for pixel.
TEST_F(ExportTest, BarkPictureHasTheColoursOfTheCommittedFile) {
    BitmapPixels bitmap;
    ASSERT_TRUE(QtPlatform().LoadBitmap("bark.bmp", bitmap));
    EXPECT_EQ(bitmap.bytes.size(), size_t(3 * 64 * 128));
    const RasterImage image = BarkPicture(bitmap);
    const QImage committed =
        QImage(DENDROVA_RESOURCE_DIR "/bark.bmp").convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(image.width, committed.width());
    ASSERT_EQ(image.height, committed.height());
    for (int y = 0; y < image.height; ++y) {
        ASSERT_EQ(std::memcmp(image.pixels.data() + size_t(y) * image.width * 3,
                              committed.constScanLine(y), size_t(image.width) * 3),
                  0)
            << "row " << y;
    }
    // The first pixel as the bitmap holds it: blue first.
    EXPECT_EQ(bitmap.bytes[0], qBlue(committed.pixel(0, 0)));
    EXPECT_EQ(bitmap.bytes[2], qRed(committed.pixel(0, 0)));

    // In place, too.
    std::vector<uint8_t> pixels{1, 2, 3, 4, 5, 6};
    SwapRedAndBlue(pixels.data(), pixels.data(), 2);
    EXPECT_EQ(pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST_F(ExportTest, FailuresLeaveNoFilesBehind) {
    // A writer that gives up: the old file stays as it was, no temporary remains.
    const fs::path file = folder / "tree.glb";
    std::ofstream(file) << "old";
    EXPECT_FALSE(WriteFileAtomically(file.string(), [](std::ostream& out) {
        out << "half";
        return false;
    }));
    EXPECT_EQ(Read(file), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    // An OBJ whose material library cannot be written: nothing is put in place, not even
    // the pictures written before it.
    fs::create_directories(folder / "tree.mtl");
    PendingFiles files;
    const Result<> exported = ExportTree((folder / "tree.obj").string(), mesh, pictures,
                                         ExportInfoOf(session.params(), 3), files);
    ASSERT_FALSE(exported);
    EXPECT_NE(exported.Error().message.find("tree.mtl"), std::string::npos)
        << exported.Error().message;
    EXPECT_FALSE(fs::exists(folder / "tree.obj"));
    EXPECT_FALSE(fs::exists(folder / "tree-bark.png"));
    EXPECT_FALSE(fs::exists(folder / "tree-leaf.png"));
}

namespace {

// The bark and leaf pictures as plain colours, the same for every caller on any thread.
class FixedPictures final : public Platform {
public:
    FixedPictures() : previous_(SetPlatform(this)) {}
    ~FixedPictures() override { SetPlatform(previous_); }
    bool LoadBitmap(const std::string& name, BitmapPixels& out) override {
        out.width = 8;
        out.height = 8;
        out.bytes.assign(8 * 8 * 3, name == "leaf.bmp" ? 20 : 120);
        return true;
    }
    void ShowWarning(const std::string&) override {}
    void ShowError(const std::string&) override {}
    bool OpenUri(const std::string&) override { return false; }

private:
    Platform* previous_;
};

// The .glb bytes of the tree of `session` as grown now, written through `path`.
std::string ExportedGlb(const TreeSession& session, const fs::path& path) {
    PendingFiles files;
    const Result<> added = AddTreeExport(path.string(), session, files);
    EXPECT_TRUE(added) << (added ? "" : added.Error().message);
    const Result<> placed = files.PlaceAll();
    EXPECT_TRUE(placed) << (placed ? "" : placed.Error().message);
    return Read(path);
}

} // namespace

// Two trees in one process: two sessions of different parameters and seeds, grown and
// exported at the same time on two threads, write exactly the file each writes alone, and
// growing one leaves the other's mesh as it was.
TEST_F(ExportTest, TwoSessionsExportedAtOnceWriteWhatEachWritesAlone) {
    const FixedPictures platform;
    TreeParams slender;
    slender.totalDepth = 22.0f;
    slender.leafSize = 3.0f;
    std::string alone[2];
    {
        TreeSession first(TreeParams{}, 3), second(slender, 4);
        first.Regrow();
        second.Regrow();
        alone[0] = ExportedGlb(first, folder / "first-alone.glb");
        alone[1] = ExportedGlb(second, folder / "second-alone.glb");
    }
    ASSERT_NE(alone[0], alone[1]);

    TreeSession sessions[2] = {{TreeParams{}, 3}, {slender, 4}};
    std::string together[2];
    auto work = [&](int i) {
        for (int round = 0; round < 3; ++round) {
            sessions[i].Regrow();
            together[i] = ExportedGlb(sessions[i], folder / ("together-" + std::to_string(i) + "-" +
                                                             std::to_string(round) + ".glb"));
        }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    EXPECT_EQ(together[0], alone[0]);
    EXPECT_EQ(together[1], alone[1]);
    EXPECT_EQ(sessions[0].generation(), 3u);

    const TreeMesh before = BuildTreeMesh(sessions[0].model(), sessions[0].params());
    sessions[1].params().totalDepth = 25.0f;
    sessions[1].Regrow();
    const TreeMesh after = BuildTreeMesh(sessions[0].model(), sessions[0].params());
    EXPECT_EQ(after.bark.positions, before.bark.positions);
    EXPECT_EQ(after.leafColours, before.leafColours);
    EXPECT_EQ(after.modelGeneration, before.modelGeneration);
    EXPECT_EQ(sessions[0].generation(), 3u);
}
