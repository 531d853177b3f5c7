// The readable parameter file: exact round trips, the 96-byte record, and refusal of
// malformed files with one line and no change.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/ConfigFileIo.h"
#include "model/JsonText.h"
#include "model/ModelConfig.h"
#include "model/Presets.h"
#include "model/TreeParams.h"
#include "paramfile/ParamFile.h"

namespace {

namespace fs = std::filesystem;

// Why a file was refused; empty when it was taken.
template <typename T> std::string Why(const Result<T>& read) {
    return read ? std::string() : read.Error().message;
}

bool SameBits(const TreeParams& a, const TreeParams& b) {
    return std::memcmp(&a, &b, sizeof(TreeParams)) == 0;
}

class ParamFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("dendrova-paramfile-" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    TreeParams params; // the parameters of a tree of the test's own
    std::string WriteBytes(const char* name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }

    fs::path dir;
};

TEST_F(ParamFileTest, SavedThenLoadedIsBitIdentical) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 100; ++trial) {
        ParamFileContents saved;
        for (int row = 0; row < ParamCount; ++row) {
            const ParamEntry& entry = ParamTable[row];
            std::uniform_real_distribution<float> inRange(entry.minimum, entry.maximum);
            float v = inRange(random);
            // Also the ends and the floats right next to them.
            if (trial % 5 == 1)
                v = entry.minimum;
            if (trial % 5 == 2)
                v = std::nextafter(entry.maximum, entry.minimum);
            ParamValue(saved.params, row) = v;
        }
        saved.seed = random();
        // Any camera the readers take: offsets the flight reaches, angles within one round.
        std::uniform_real_distribution<float> anywhere(-1e6f, 1e6f);
        std::uniform_real_distribution<float> height(-59.9f, -1.6f);
        std::uniform_real_distribution<float> depth(-130.0f, -3.3f);
        std::uniform_real_distribution<float> elevation(-180.0f, 179.9f);
        std::uniform_real_distribution<float> azimuth(0.0f, 359.9f);
        saved.camera = Camera{anywhere(random), height(random), depth(random), elevation(random),
                              azimuth(random)};
        const std::string path = Path("tree.json");
        ASSERT_TRUE(WriteParamFile(path, saved).Ok());
        const Result<LoadedParamFile> loaded = ReadParamFile(path);
        ASSERT_TRUE(loaded.Ok()) << Why(loaded);
        EXPECT_TRUE(SameBits(loaded->contents.params, saved.params)) << trial;
        EXPECT_EQ(loaded->contents.seed, saved.seed);
        ASSERT_TRUE(loaded->contents.camera);
        EXPECT_EQ(std::memcmp(&*loaded->contents.camera, &*saved.camera, sizeof(Camera)), 0);
        EXPECT_TRUE(loaded->ignored.empty());
    }
}

TEST_F(ParamFileTest, NumbersAreShortAndExactForEveryFloat) {
    EXPECT_EQ(NumberText(19.29f), "19.29");
    EXPECT_EQ(NumberText(0.83f), "0.83");
    EXPECT_EQ(NumberText(4.0f), "4");
    // Any float, read back as a double and narrowed, is the same float.
    std::mt19937 random(3);
    for (int i = 0; i < 200000; ++i) {
        const float f = std::bit_cast<float>(static_cast<uint32_t>(random()));
        if (!std::isfinite(f))
            continue;
        const std::string text = NumberText(f);
        ASSERT_EQ(static_cast<float>(std::stod(text)), f) << text;
    }
}

// The whole text, byte for byte, as the README shows its layout.
TEST_F(ParamFileTest, TheTextIsLaidOutAsDocumented) {
    ParamFileContents contents;
    contents.params.leafSize = 1.0f / 3.0f;
    contents.seed = 4294967295u;
    contents.camera = Camera{0, -11.7872f, -8.04298f, -10, 19346};
    EXPECT_EQ(ParamFileJson(contents), R"({
    "Tree Total Depth": 19.29,
    "SEG. Expand Angle": 26.4,
    "SEG. Len. Attenuate": 0.83,
    "SEG. Rad. Attenuate": 0.75,
    "SEG. Twist Angle": 61.02,
    "SSE. Bifurcate Angle": 58.8,
    "SSE. Dep. Attenuate": 0.81,
    "SSE. Scale Attenuate": 0.93,
    "Leaf Size": 0.33333334,
    "Leaf Expand Angle": 26.4,
    "Tree Shadow Length": 0.98,
    "Brush Shad. Density": 0.3,
    "Leaf Shadow Density": 0.25,
    "seed": 4294967295,
    "camera": {"x": 0, "y": -11.7872, "z": -8.04298, "elevation": -10, "azimuth": 19346}
}
)");
    // Without the optional keys the parameters' last line ends the object.
    const std::string bare = ParamFileJson(ParamFileContents{});
    EXPECT_EQ(bare.substr(bare.size() - 30), "\"Leaf Shadow Density\": 0.25\n}\n");
}

TEST_F(ParamFileTest, ReadableKeysByDisplayedName) {
    ParamFileContents contents;
    contents.seed = 42;
    const std::string text = ParamFileJson(contents);
    EXPECT_NE(text.find("\"Tree Total Depth\": 19.29,"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Leaf Shadow Density\": 0.25,"), std::string::npos) << text;
    EXPECT_NE(text.find("\"seed\": 42\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("camera"), std::string::npos);
}

TEST_F(ParamFileTest, MissingKeysTakeDefaultsAndUnknownKeysAreReported) {
    const Result<LoadedParamFile> read = ParseParamJson(
        R"({"Leaf Size": 3.5, "Colour": "red", "camera": {"x": 1, "y": -2, "z": -4,
            "elevation": 4, "azimuth": 5, "zoom": 2}})");
    ASSERT_TRUE(read.Ok()) << Why(read);
    TreeParams expected;
    expected.leafSize = 3.5f;
    EXPECT_TRUE(SameBits(read->contents.params, expected));
    EXPECT_FALSE(read->contents.seed);
    ASSERT_EQ(read->ignored.size(), 2u);
    EXPECT_EQ(read->ignored[0], "unknown key \"Colour\" ignored");
    EXPECT_EQ(read->ignored[1], "unknown key \"camera.zoom\" ignored");
    EXPECT_EQ(read->contents.camera->azimuth, 5.0f);
}

TEST_F(ParamFileTest, TheBinaryRecordIsToldApartByContent) {
    params.leafSize = 3.25f;
    params.totalDepth = 30.0f;
    Camera camera;
    camera.azimuth = 12.5f;
    ASSERT_TRUE(SaveModelConfig(WindowGeometry{}, camera, params, Path("preset.json")));
    params = TreeParams{};
    const Result<LoadedParamFile> read = ReadParamFile(Path("preset.json"));
    ASSERT_TRUE(read.Ok()) << Why(read);
    EXPECT_EQ(read->contents.params.leafSize, 3.25f);
    EXPECT_EQ(read->contents.params.totalDepth, 30.0f);
    EXPECT_EQ(read->contents.camera->azimuth, 12.5f);
    // Reading it left the program's own parameters alone.
    EXPECT_TRUE(SameBits(params, TreeParams{}));

    // A window 891 pixels wide puts a brace in the first byte; the record is still a record.
    WindowGeometry wide;
    wide.windowWidth = 891;
    ASSERT_TRUE(SaveModelConfig(wide, camera, params, Path("wide.cfg")));
    EXPECT_TRUE(ReadParamFile(Path("wide.cfg")).Ok());

    // A record holding a value outside its range is refused as a whole.
    ModelConfigRecord record;
    for (int row = 0; row < ParamCount; ++row)
        record.params[row] = ParamValue(TreeParams{}, row);
    record.params[0] = 3.9f;
    const auto bytes = record.Serialize();
    const std::string path = WriteBytes("TreeModl.Cfg", std::string(bytes.begin(), bytes.end()));
    const Result<LoadedParamFile> refused = ReadParamFile(path);
    EXPECT_FALSE(refused.Ok());
    EXPECT_EQ(Why(refused),
              "\"Tree Total Depth\" in the 96-byte record is outside its range 4 to 30");
    EXPECT_TRUE(SameBits(params, TreeParams{}));
}

// A record's bytes as stored, built by the record's own layout.
std::string RecordBytes(const ModelConfigRecord& record) {
    const auto bytes = record.Serialize();
    return std::string(bytes.begin(), bytes.end());
}

ModelConfigRecord DefaultRecord() {
    ModelConfigRecord record;
    for (int row = 0; row < ParamCount; ++row)
        record.params[row] = ParamValue(TreeParams{}, row);
    return record;
}

TEST_F(ParamFileTest, ARecordSavedAsJsonReadsBackBitIdentical) {
    // Random records of in-range values, some with -0 wherever a range holds 0: the
    // record read, written as JSON and read back gives the same bits, and the same as the
    // JSON file's reading of the value ("-0" reads as +0).
    std::mt19937 random(11);
    for (int trial = 0; trial < 200; ++trial) {
        ModelConfigRecord record = DefaultRecord();
        for (int row = 0; row < ParamCount; ++row) {
            const ParamEntry& entry = ParamTable[row];
            record.params[row] =
                std::uniform_real_distribution<float>(entry.minimum, entry.maximum)(random);
            if (trial % 2 == 0 && entry.minimum == 0.0f)
                record.params[row] = -0.0f;
        }
        record.camera.x = trial % 2 == 0 ? -0.0f : std::bit_cast<float>(uint32_t(random()) >> 2);
        record.camera.elevation = trial % 2 == 0 ? -0.0f : -720.5f;
        record.camera.azimuth = trial % 2 == 0 ? -0.0f : 19346.0f;
        const Result<LoadedParamFile> first = ParseParamFile(RecordBytes(record));
        ASSERT_TRUE(first.Ok()) << Why(first);
        const Result<LoadedParamFile> again = ParseParamJson(ParamFileJson(first->contents));
        ASSERT_TRUE(again.Ok()) << Why(again);
        EXPECT_TRUE(SameBits(again->contents.params, first->contents.params)) << trial;
        EXPECT_EQ(std::memcmp(&*again->contents.camera, &*first->contents.camera, sizeof(Camera)),
                  0)
            << trial;
        for (int row = 0; row < ParamCount; ++row)
            EXPECT_FALSE(std::signbit(ParamValue(first->contents.params, row)) &&
                         ParamValue(first->contents.params, row) == 0.0f);
    }
    // The angles come into one round, the same direction, in both formats.
    const Result<LoadedParamFile> json = ParseParamJson(
        R"({"camera": {"x": 0, "y": -10, "z": -20, "elevation": -190.25, "azimuth": 19346}})");
    ASSERT_TRUE(json.Ok()) << Why(json);
    EXPECT_EQ(json->contents.camera->elevation, 169.75f);
    EXPECT_EQ(json->contents.camera->azimuth, 266.0f);
}

TEST_F(ParamFileTest, ARecordIsTakenOnlyWhenEveryFieldIsInRange) {
    using Change = void (*)(ModelConfigRecord&);
    const struct {
        Change change;
        const char* error; // empty: taken
    } cases[] = {
        {[](ModelConfigRecord& r) { r.geometry.windowWidth = 101; }, ""},
        {[](ModelConfigRecord& r) { r.geometry.windowWidth = 100; },
         "\"window width\" in the 96-byte record is outside its range 101 to 16384"},
        {[](ModelConfigRecord& r) { r.geometry.windowWidth = 16384; }, ""},
        {[](ModelConfigRecord& r) { r.geometry.windowWidth = 16385; }, "\"window width\""},
        {[](ModelConfigRecord& r) { r.geometry.windowWidth = 1819043176; }, "\"window width\""},
        {[](ModelConfigRecord& r) { r.geometry.windowHeight = 51; }, ""},
        {[](ModelConfigRecord& r) { r.geometry.windowHeight = 50; },
         "\"window height\" in the 96-byte record is outside its range 51 to 16384"},
        {[](ModelConfigRecord& r) { r.geometry.windowHeight = 20000; }, "\"window height\""},
        {[](ModelConfigRecord& r) { r.geometry.windowMaximized = 1; }, ""},
        {[](ModelConfigRecord& r) { r.geometry.windowMaximized = 2; },
         "\"window maximized\" in the 96-byte record is outside its range 0 to 1"},
        {[](ModelConfigRecord& r) { r.geometry.panelAutoClose = -1; }, "\"panel auto-close\""},
        {[](ModelConfigRecord& r) { r.geometry.panelLeft = -3000, r.geometry.panelTop = 1 << 30; },
         ""},
        {[](ModelConfigRecord& r) { r.camera.x = std::numeric_limits<float>::infinity(); },
         "\"camera.x\" in the 96-byte record must be a finite number"},
        {[](ModelConfigRecord& r) { r.camera.y = -1e30f; },
         "\"camera.y\" in the 96-byte record must be above -60 and below -1.5"},
        {[](ModelConfigRecord& r) { r.camera.z = -3.2f; }, "\"camera.z\""},
        {[](ModelConfigRecord& r) { r.camera.azimuth = std::numeric_limits<float>::quiet_NaN(); },
         "\"camera.azimuth\""},
        {[](ModelConfigRecord& r) { r.params[8] = 4.5f; },
         "\"Leaf Size\" in the 96-byte record is outside its range 0.1 to 4"},
        // The first field out of range is the one named.
        {[](ModelConfigRecord& r) { r.geometry.windowHeight = 0, r.params[0] = 0.0f; },
         "\"window height\""},
    };
    for (const auto& c : cases) {
        ModelConfigRecord record = DefaultRecord();
        c.change(record);
        const Result<LoadedParamFile> read = ParseParamFile(RecordBytes(record));
        SCOPED_TRACE(c.error);
        EXPECT_EQ(read.Ok(), std::string(c.error).empty()) << Why(read);
        EXPECT_EQ(Why(read).rfind(c.error, 0), 0u) << Why(read);
        if (read.Ok()) {
            EXPECT_EQ(std::memcmp(&*read->geometry, &record.geometry, sizeof(WindowGeometry)), 0);
        }
    }
    // One byte more or less is no record at all.
    const std::string bytes = RecordBytes(DefaultRecord());
    EXPECT_FALSE(ParseParamFile(bytes + "x").Ok());
    EXPECT_FALSE(ParseParamFile(bytes.substr(0, 95)).Ok());
}

TEST_F(ParamFileTest, EitherFormatComesThroughAPipeReadOnce) {
    // As --params reads `<(curl ...)`: the name opened once, the bytes read once. The test
    // holds the FIFO's reading end open itself, so what it writes waits there.
    const std::string fifo = Path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto through = [&](const std::string& bytes) {
        const int holder = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        const int writer = ::open(fifo.c_str(), O_WRONLY);
        EXPECT_EQ(::write(writer, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        ::close(writer);
        const Result<std::string> read = ReadNamedFile(fifo, MaxParamFileBytes + 1, true);
        ::close(holder);
        return read ? ParseParamFile(*read) : Result<LoadedParamFile>(read.Error());
    };
    const Result<LoadedParamFile> json = through(R"({"Leaf Size": 3.5})");
    ASSERT_TRUE(json.Ok()) << Why(json);
    EXPECT_EQ(json->contents.params.leafSize, 3.5f);

    ModelConfigRecord record;
    record.geometry.windowWidth = 777;
    for (int row = 0; row < ParamCount; ++row)
        record.params[row] = ParamValue(TreeParams{}, row);
    const auto bytes = record.Serialize();
    const Result<LoadedParamFile> binary = through(std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(binary.Ok()) << Why(binary);
    ASSERT_TRUE(binary->geometry);
    EXPECT_EQ(binary->geometry->windowWidth, 777);

    // A FIFO nobody writes to reads as empty, at once, and is refused.
    const Result<std::string> lonely = ReadNamedFile(fifo, 100, true);
    ASSERT_TRUE(lonely);
    EXPECT_FALSE(ParseParamFile(*lonely).Ok());
    // The panel reads regular files only: a FIFO is refused without being opened.
    const Result<LoadedParamFile> panel = ReadParamFile(fifo);
    EXPECT_EQ(Why(panel), "cannot open '" + fifo + "': it is not a regular file");
}

TEST_F(ParamFileTest, MalformedFilesAreRefusedWithOneLine) {
    const std::string valid = ParamFileJson(ParamFileContents{});
    const struct {
        const char* name;
        std::string bytes;
        const char* reason; // the start of the expected message
    } cases[] = {
        {"truncated", valid.substr(0, valid.size() / 2), "not valid JSON: "},
        {"empty", "", "not a parameter file: neither a JSON object nor a 96-byte record"},
        {"text", "hello\n", "not a parameter file: neither"},
        {"zeros", std::string(1000, '\0'), "not a parameter file: neither"},
        {"string value", R"({"Leaf Size": "1.5"})", "\"Leaf Size\" must be a number"},
        {"boolean value", R"({"Tree Total Depth": true})", "\"Tree Total Depth\" must be a number"},
        {"null value", R"({"Leaf Size": null})", "\"Leaf Size\" must be a number"},
        {"NaN", R"({"Leaf Size": NaN})", "not valid JSON: "},
        {"huge", R"({"Leaf Size": 1e39})", "\"Leaf Size\" is outside its range 0.1 to 4"},
        {"beyond double", R"({"Leaf Size": 1e400})", ""},
        {"above range", R"({"Tree Total Depth": 30.5})",
         "\"Tree Total Depth\" is outside its range 4 to 30"},
        {"below range", R"({"SEG. Twist Angle": -0.001})",
         "\"SEG. Twist Angle\" is outside its range 0 to 180"},
        {"seed fraction", R"({"seed": 1.5})", "\"seed\" must be a whole number"},
        {"seed too big", R"({"seed": 4294967296})", "\"seed\" must be a whole number"},
        {"camera partial", R"({"camera": {"x": 1}})", "\"camera\" must be an object"},
        {"camera huge", R"({"camera": {"x": 1, "y": -10, "z": -20, "elevation": 1e300,
                            "azimuth": 0}})",
         "\"camera.elevation\" must be a finite number"},
        {"camera too low", R"({"camera": {"x": 0, "y": -1e30, "z": -8, "elevation": 0,
                               "azimuth": 0}})",
         "\"camera.y\" must be above -60 and below -1.5"},
        {"camera too far", R"({"camera": {"x": 0, "y": -10, "z": -130.5, "elevation": 0,
                               "azimuth": 0}})",
         "\"camera.z\" must be from -130 to below -3.2"},
        {"array", R"([19.29])", "not a parameter file: neither"},
        {"nested deep", "{\"a\":" + std::string(5000, '['), "not valid JSON: "},
        {"garbage", std::string(10 * 1024 * 1024, '\x9c'), "not a parameter file: larger than"},
        {"garbage in braces", "{" + std::string(10 * 1024 * 1024, 'x'),
         "not a parameter file: larger than"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<LoadedParamFile> read = ReadParamFile(WriteBytes("bad.json", c.bytes));
        EXPECT_FALSE(read.Ok());
        EXPECT_FALSE(Why(read).empty());
        EXPECT_EQ(Why(read).find('\n'), std::string::npos) << Why(read);
        EXPECT_EQ(Why(read).rfind(c.reason, 0), 0u) << Why(read);
        EXPECT_TRUE(SameBits(params, TreeParams{}));
    }
    const Result<LoadedParamFile> missing = ReadParamFile(Path("nowhere.json"));
    EXPECT_FALSE(missing.Ok());
    EXPECT_EQ(Why(missing).rfind("cannot open '", 0), 0u) << Why(missing);
}

TEST_F(ParamFileTest, EveryPresetIsInRangeAndFoundByName) {
    const auto presets = BuiltInPresets();
    ASSERT_GE(presets.size(), 6u);
    EXPECT_TRUE(SameBits(presets[0].params, TreeParams{}));
    for (const Preset& preset : presets) {
        SCOPED_TRACE(preset.name);
        for (int row = 0; row < ParamCount; ++row)
            EXPECT_TRUE(InParamRange(ParamTable[row], ParamValue(preset.params, row))) << row;
        EXPECT_EQ(FindPreset(preset.name), &preset);
        // A preset saved and loaded again is the same preset.
        const Result<LoadedParamFile> read = ParseParamJson(ParamFileJson({preset.params, {}, {}}));
        ASSERT_TRUE(read.Ok());
        EXPECT_TRUE(SameBits(read->contents.params, preset.params));
    }
    std::string folded = presets[1].name;
    for (char& c : folded)
        c = c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(FindPreset(folded), &presets[1]);
    EXPECT_EQ(FindPreset("no such tree"), nullptr);
}

} // namespace
