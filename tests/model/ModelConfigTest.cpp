#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <limits>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "FolderNames.h"
#include "model/ModelConfig.h"
#include "model/TreeParams.h"

namespace fs = std::filesystem;

namespace {

// Builds a parameter file byte by byte, independently of the program's writer.
class FileBytes {
public:
    FileBytes() : bytes_(96, 0) {
        Int(0, 540).Int(4, 350).Int(8, 0).Int(12, 100).Int(16, 100).Int(20, 0);
        Float(24, 0.0f).Float(28, -11.7872f).Float(32, -8.04298f).Float(36, -10.0f);
        Float(40, 19346.0f);
        TreeParams defaults;
        const float* p = &defaults.totalDepth;
        for (int i = 0; i < 13; ++i) {
            Float(44 + 4 * i, p[i]);
        }
    }
    FileBytes& Int(size_t at, int32_t v) { return Raw(at, static_cast<uint32_t>(v)); }
    FileBytes& Float(size_t at, float v) { return Raw(at, std::bit_cast<uint32_t>(v)); }
    FileBytes& Raw(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
        }
        return *this;
    }
    FileBytes& Resize(size_t n, uint8_t fill = 0xAB) {
        bytes_.resize(n, fill);
        return *this;
    }
    void Write() const {
        std::ofstream out(ModelConfigFileName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes_.data()), bytes_.size());
    }

private:
    std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> ReadFile() {
    std::ifstream in(ModelConfigFileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Names(const fs::path& folder = ".") {
    return FolderNames(folder);
}

// Reads the parameter file at `path` into the three as the program does at start: what
// the file validly holds replaces their values.
void LoadInto(WindowGeometry& geometry, Camera& camera, TreeParams& params,
              const std::string& path = ModelConfigFileName) {
    if (const std::optional<ModelConfigRead> read = LoadModelConfig(path)) {
        ApplyModelConfigRecord(read->record, read->size, geometry, camera, params);
    }
}

struct ModelConfigTest : ::testing::Test {
    void SetUp() override {
        old_ = fs::current_path();
        dir_ =
            fs::temp_directory_path() /
            ("dendrova-cfg-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(old_);
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }
    void Load() { LoadInto(geometry, camera, params); }

    fs::path old_, dir_;
    WindowGeometry geometry;
    Camera camera;
    TreeParams params; // what the file's parameters are read into
};

} // namespace

TEST_F(ModelConfigTest, MissingFileKeepsEveryDefault) {
    Load();
    EXPECT_EQ(geometry.windowWidth, 540);
    EXPECT_EQ(geometry.panelTop, 100);
    EXPECT_EQ(camera.azimuth, 19346.0f);
    EXPECT_EQ(params.totalDepth, 19.29f);
}

TEST_F(ModelConfigTest, WindowSizeThresholds) {
    FileBytes().Int(0, 101).Int(4, 51).Write();
    Load();
    EXPECT_EQ(geometry.windowWidth, 101);
    EXPECT_EQ(geometry.windowHeight, 51);

    geometry = {};
    FileBytes().Int(0, 100).Int(4, 50).Write();
    Load();
    EXPECT_EQ(geometry.windowWidth, 540);
    EXPECT_EQ(geometry.windowHeight, 350);
}

TEST_F(ModelConfigTest, NoWindowSideAboveTheLargestScreen) {
    // 1,819,043,176 is the text "hell" read as a width.
    for (const int32_t side : {16385, 20000, 1819043176}) {
        geometry = {};
        FileBytes().Int(0, side).Int(4, side).Write();
        Load();
        EXPECT_EQ(geometry.windowWidth, 540) << side;
        EXPECT_EQ(geometry.windowHeight, 350) << side;
    }
    FileBytes().Int(0, 16384).Int(4, 16384).Write();
    Load();
    EXPECT_EQ(geometry.windowWidth, 16384);
    EXPECT_EQ(geometry.windowHeight, 16384);
}

TEST_F(ModelConfigTest, TheDecodedRecordHoldsTheStoredBits) {
    // Any bytes, NaN patterns included, come out of the decoder and back unchanged.
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        std::array<uint8_t, ModelConfigRecordSize> bytes;
        for (auto& b : bytes) {
            b = static_cast<uint8_t>(rng());
        }
        EXPECT_EQ(DecodeModelConfigRecord(bytes).Serialize(), bytes);
    }
    // A short record reads as if padded with zeros; the lenient reading takes only the
    // fields it holds completely.
    const std::array<uint8_t, 6> shortBytes = {0x20, 0x03, 0, 0, 0x58, 0x02};
    const ModelConfigRecord record = DecodeModelConfigRecord(shortBytes);
    EXPECT_EQ(record.geometry.windowWidth, 800);
    EXPECT_EQ(record.geometry.windowHeight, 600);
    WindowGeometry g;
    Camera c;
    TreeParams p;
    ApplyModelConfigRecord(record, shortBytes.size(), g, c, p);
    EXPECT_EQ(g.windowWidth, 800);
    EXPECT_EQ(g.windowHeight, 350);
}

TEST_F(ModelConfigTest, NegativeZeroIsReadAsZero) {
    // As the JSON file reads it back, so both formats give the same tree and view.
    FileBytes().Float(24, -0.0f).Float(36, -0.0f).Float(40, -0.0f).Float(60, -0.0f).Write();
    Load();
    for (const float v : {camera.x, camera.elevation, camera.azimuth, params.segTwistAngle}) {
        EXPECT_EQ(std::bit_cast<uint32_t>(v), 0u);
    }
}

TEST_F(ModelConfigTest, ParametersOnlyInsideTheirRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float stored;
        float expected;
    };
    for (const Case c :
         {Case{3.9f, 19.29f}, Case{4.0f, 4.0f}, Case{30.0f, 30.0f}, Case{30.5f, 19.29f},
          Case{nan, 19.29f}, Case{inf, 19.29f}, Case{-inf, 19.29f}}) {
        SCOPED_TRACE(c.stored);
        params = TreeParams{};
        FileBytes().Float(44, c.stored).Float(48, 45.0f).Write();
        Load();
        EXPECT_EQ(params.totalDepth, c.expected);
        EXPECT_EQ(params.segExpandAngle, 45.0f); // one rejected field never affects another
    }
    params = TreeParams{};
    FileBytes().Float(92, 1.0f).Float(88, 1.5f).Write();
    Load();
    EXPECT_EQ(params.leafShadowDensity, 1.0f);
    EXPECT_EQ(params.brushShadowDensity, 0.3f);
}

TEST_F(ModelConfigTest, UncheckedFieldsAreTakenAsStored) {
    FileBytes().Int(8, 7).Int(12, -3000).Int(16, -20).Int(20, 1).Float(24, 5.5f).Write();
    Load();
    EXPECT_EQ(geometry.windowMaximized, 7);
    EXPECT_EQ(geometry.panelLeft, -3000);
    EXPECT_EQ(geometry.panelTop, -20);
    EXPECT_EQ(geometry.panelAutoClose, 1);
    EXPECT_EQ(camera.x, 5.5f);
}

TEST_F(ModelConfigTest, CameraValuesOnlyWhereTheNavigationReaches) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Camera defaults;
    // Offsets outside the flight limits, or not finite, keep their defaults.
    for (const float y : {-1.5f, -60.0f, -200.0f, 0.0f, nan, inf}) {
        for (const float z : {-3.2f, -130.5f, 1e30f, -inf, nan}) {
            camera = {};
            FileBytes()
                .Float(24, nan)
                .Float(28, y)
                .Float(32, z)
                .Float(36, inf)
                .Float(40, nan)
                .Write();
            Load();
            EXPECT_EQ(std::memcmp(&camera, &defaults, sizeof(Camera)), 0) << y << " " << z;
        }
    }
    // The ends the navigation can reach are taken; angles are wrapped into one round,
    // exactly, so the view stays the same and the arrow keys still step.
    FileBytes()
        .Float(28, -59.99f)
        .Float(32, -130.0f)
        .Float(36, -190.25f)
        .Float(40, -19346.5f)
        .Write();
    Load();
    EXPECT_EQ(camera.y, -59.99f);
    EXPECT_EQ(camera.z, -130.0f);
    EXPECT_EQ(camera.elevation, 169.75f);
    EXPECT_EQ(camera.azimuth, 93.5f);
    FileBytes().Float(28, -1.51f).Float(32, -3.21f).Float(36, 1e9f).Float(40, 19346.0f).Write();
    Load();
    EXPECT_EQ(camera.y, -1.51f);
    EXPECT_EQ(camera.z, -3.21f);
    EXPECT_GE(camera.elevation, -180.0f);
    EXPECT_LT(camera.elevation, 180.0f);
    EXPECT_EQ(camera.azimuth, 266.0f);
    FileBytes().Float(36, -1e-9f).Float(40, -1e-9f).Write(); // rounds onto the end of the round
    Load();
    EXPECT_EQ(camera.elevation, -1e-9f);
    EXPECT_EQ(camera.azimuth, 0.0f);
}

TEST_F(ModelConfigTest, ShortAndLongFiles) {
    // A short file: only the fields it holds completely are applied.
    FileBytes().Int(0, 800).Int(4, 600).Float(24, 3.0f).Resize(26).Write();
    Load();
    EXPECT_EQ(geometry.windowWidth, 800);
    EXPECT_EQ(geometry.windowHeight, 600);
    EXPECT_EQ(camera.x, 0.0f); // two bytes of it only
    EXPECT_EQ(camera.y, -11.7872f);
    EXPECT_EQ(params.totalDepth, 19.29f);

    // An empty file changes nothing.
    geometry = {};
    FileBytes().Resize(0).Write();
    Load();
    EXPECT_EQ(geometry.windowWidth, 540);

    // A long file: the first 96 bytes count, the rest is ignored.
    FileBytes().Float(44, 25.0f).Resize(500).Write();
    Load();
    EXPECT_EQ(params.totalDepth, 25.0f);
}

TEST_F(ModelConfigTest, OnlyARegularFileIsReadAndNothingBlocks) {
    // A directory, a device behind a link, a FIFO: all count as no file.
    fs::create_directory(ModelConfigFileName);
    Load();
    fs::remove(ModelConfigFileName);
    fs::create_symlink("/dev/zero", ModelConfigFileName); // would read as 96 zero bytes
    Load();
    EXPECT_EQ(geometry.panelLeft, 100);
    fs::remove(ModelConfigFileName);

    ASSERT_EQ(::mkfifo(ModelConfigFileName, 0600), 0);
    auto loading = std::async(std::launch::async, [this] { Load(); });
    if (loading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Free the blocked reader so the test can end.
        ::close(::open(ModelConfigFileName, O_WRONLY | O_NONBLOCK));
        ADD_FAILURE() << "the loader blocked on a FIFO";
    }
    loading.wait();
    EXPECT_EQ(geometry.windowWidth, 540);
    EXPECT_EQ(params.totalDepth, 19.29f);

    // A link to a regular file is read.
    fs::remove(ModelConfigFileName);
    fs::create_directory("elsewhere");
    FileBytes().Int(12, 333).Write();
    fs::rename(ModelConfigFileName, "elsewhere/mine.cfg");
    fs::create_symlink("elsewhere/mine.cfg", ModelConfigFileName);
    Load();
    EXPECT_EQ(geometry.panelLeft, 333);
}

TEST_F(ModelConfigTest, SavedRecordHasTheExpectedBytesAndRoundTrips) {
    ASSERT_TRUE(SaveModelConfig(geometry, camera, params));
    const auto bytes = ReadFile();
    ASSERT_EQ(bytes.size(), 96u);
    auto u32 = [&](size_t at) {
        return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
               uint32_t(bytes[at + 3]) << 24;
    };
    EXPECT_EQ(u32(0), 540u);
    EXPECT_EQ(u32(4), 350u);
    EXPECT_EQ(u32(8), 0u);
    EXPECT_EQ(u32(12), 100u);
    EXPECT_EQ(u32(16), 100u);
    EXPECT_EQ(u32(20), 0u);
    EXPECT_EQ(u32(24), 0u);
    EXPECT_EQ(u32(28), 0xC13C985Fu);
    EXPECT_EQ(u32(32), 0xC100B00Cu);
    EXPECT_EQ(u32(40), 0x46972400u);
    EXPECT_EQ(std::bit_cast<float>(u32(44)), 19.29f);
    EXPECT_EQ(std::bit_cast<float>(u32(92)), 0.25f);

    // Round trip of changed values.
    geometry = {900, 700, 1, -50, 2000, 1};
    camera = {1, -20, -30, 45, -19346.5f};
    params.totalDepth = 30.0f;
    params.leafShadowDensity = 0.0f;
    ASSERT_TRUE(SaveModelConfig(geometry, camera, params));
    EXPECT_EQ(Names(), "TreeModl.Cfg");
    WindowGeometry g2;
    Camera c2;
    params = TreeParams{};
    LoadInto(g2, c2, params);
    EXPECT_EQ(g2.windowWidth, 900);
    EXPECT_EQ(g2.panelLeft, -50);
    EXPECT_EQ(g2.panelAutoClose, 1);
    EXPECT_EQ(c2.azimuth, 93.5f); // the same direction
    EXPECT_EQ(c2.elevation, 45.0f);
    EXPECT_EQ(params.totalDepth, 30.0f);
    EXPECT_EQ(params.leafShadowDensity, 0.0f);
}

TEST_F(ModelConfigTest, FailedSaveKeepsTheOldFileIntactAndSaysWhy) {
    FileBytes().Float(44, 25.0f).Write();
    const auto before = ReadFile();
    params.totalDepth = 5.0f;
    // A file size limit below the record's 96 bytes makes the write itself fail part-way
    // (as a full disk would, also for a privileged user); the signal it raises is ignored.
    {
        struct rlimit saved;
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 50;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const Result<> cut = SaveModelConfig(geometry, camera, params, ModelConfigFileName);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        ASSERT_FALSE(cut);
        EXPECT_EQ(cut.Error().message,
                  std::string("cannot write 'TreeModl.Cfg': ") + std::strerror(EFBIG));
    }
    EXPECT_EQ(ReadFile(), before);
    EXPECT_EQ(Names(), "TreeModl.Cfg"); // no temporary left behind

    // A folder or a FIFO under the name is refused, never opened, and stays.
    fs::remove(ModelConfigFileName);
    fs::create_directory(ModelConfigFileName);
    std::ofstream(fs::path(ModelConfigFileName) / "inside") << "kept";
    const Result<> folder = SaveModelConfig(geometry, camera, params, ModelConfigFileName);
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.Error().message, "cannot write 'TreeModl.Cfg': it is not a regular file");
    EXPECT_TRUE(fs::exists(fs::path(ModelConfigFileName) / "inside"));
    fs::remove_all(ModelConfigFileName);
    ASSERT_EQ(::mkfifo(ModelConfigFileName, 0600), 0);
    EXPECT_FALSE(SaveModelConfig(geometry, camera, params));
    EXPECT_TRUE(fs::is_fifo(ModelConfigFileName));
    fs::remove(ModelConfigFileName);

    // A name that is not one line is shown escaped, so the message stays one line.
    const Result<> odd = SaveModelConfig(geometry, camera, params, "no\nsuch/folder.cfg");
    ASSERT_FALSE(odd);
    EXPECT_EQ(odd.Error().message.rfind("cannot write 'no\\nsuch/folder.cfg': ", 0), 0u)
        << odd.Error().message;

    // A directory without write permission: nothing can be created (unless running
    // with privileges that ignore permissions, in which case the save simply works).
    ASSERT_TRUE(SaveModelConfig(geometry, camera, params));
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    static_cast<void>(SaveModelConfig(geometry, camera, params));
    const auto after = ReadFile();
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(after.size(), 96u);
}

// The file is written under no name of its own beside the settings: whatever lies there
// (the temporary name of older versions, a link planted under it) is left alone.
TEST_F(ModelConfigTest, NoOtherNameBesideTheFileIsTouched) {
    std::ofstream("victim") << "precious";
    fs::create_symlink("victim", "TreeModl.Cfg.new");
    FileBytes().Write();
    fs::permissions(ModelConfigFileName, fs::perms::owner_read | fs::perms::owner_write);
    params.totalDepth = 9.0f;
    EXPECT_TRUE(SaveModelConfig(geometry, camera, params));
    EXPECT_EQ(Names(), "TreeModl.Cfg TreeModl.Cfg.new victim");
    EXPECT_TRUE(fs::is_symlink("TreeModl.Cfg.new"));
    std::ifstream victim("victim");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(victim), {}), "precious");
    EXPECT_FALSE(fs::is_symlink(ModelConfigFileName));
    EXPECT_EQ(fs::status(ModelConfigFileName).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    params = TreeParams{};
    Load();
    EXPECT_EQ(params.totalDepth, 9.0f);
}

TEST_F(ModelConfigTest, ASymlinkedFileIsUpdatedWhereItLives) {
    // TreeModl.Cfg -> link.cfg -> keep/real.cfg, both links relative to their folders.
    fs::create_directories("keep/sub");
    FileBytes().Write();
    fs::rename(ModelConfigFileName, "keep/real.cfg");
    fs::permissions("keep/real.cfg", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("keep/sub/../real.cfg", "link.cfg");
    fs::create_symlink("link.cfg", ModelConfigFileName);
    params.totalDepth = 7.0f;
    ASSERT_TRUE(SaveModelConfig(geometry, camera, params));
    EXPECT_TRUE(fs::is_symlink(ModelConfigFileName));
    EXPECT_TRUE(fs::is_symlink("link.cfg"));
    EXPECT_EQ(Names("keep"), "real.cfg sub");
    EXPECT_EQ(fs::status("keep/real.cfg").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    params = TreeParams{};
    Load();
    EXPECT_EQ(params.totalDepth, 7.0f);

    // A link to a file that does not exist yet: the file is created there.
    fs::remove(ModelConfigFileName);
    fs::create_symlink(dir_ / "keep/new.cfg", ModelConfigFileName);
    ASSERT_TRUE(SaveModelConfig(geometry, camera, params));
    EXPECT_EQ(fs::file_size("keep/new.cfg"), 96u);

    // A loop of links cannot be saved through, and says so.
    fs::remove(ModelConfigFileName);
    fs::create_symlink("loop.cfg", ModelConfigFileName);
    fs::create_symlink(ModelConfigFileName, "loop.cfg");
    const Result<> looped = SaveModelConfig(geometry, camera, params, ModelConfigFileName);
    ASSERT_FALSE(looped);
    EXPECT_FALSE(looped.Error().message.empty());
}

TEST_F(ModelConfigTest, RandomBytesNeverCrashAndOnlyInRangeParametersAreAccepted) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 3000; ++round) {
        const size_t length = rng() % 140;
        std::vector<uint8_t> bytes(length);
        for (auto& b : bytes) {
            b = static_cast<uint8_t>(rng());
        }
        // Sometimes plant plausible floats so the accepting path runs too.
        for (size_t at = 44; at + 4 <= length && at < 96; at += 4) {
            if (rng() % 3 == 0) {
                const float v = static_cast<float>(rng() % 4000) / 100.0f;
                std::memcpy(&bytes[at], &v, 4);
            }
        }
        {
            std::ofstream out(ModelConfigFileName, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        }
        params = TreeParams{};
        WindowGeometry g;
        Camera c;
        LoadInto(g, c, params);
        ASSERT_GT(g.windowWidth, 100);
        ASSERT_GT(g.windowHeight, 50);
        ASSERT_LE(g.windowWidth, MaxWindowSide);
        ASSERT_LE(g.windowHeight, MaxWindowSide);
        for (int row = 0; row < ParamCount; ++row) {
            ASSERT_TRUE(InParamRange(ParamTable[row], ParamValue(params, row))) << row;
        }
    }
}
