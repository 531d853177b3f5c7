#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "export/FileOutput.h"
#include "export/SessionOutput.h"
#include "model/Presets.h"
#include "model/TreeSession.h"
#include "platform/Platform.h"
#include "platform/QtPlatform.h"

// Two trees in one process, each grown and exported on its own thread at the same time,
// write exactly the files the command line writes for each of them alone.
namespace {

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What failed; empty on success.
std::string Why(const Result<>& written) {
    return written ? std::string() : written.Error().message;
}

void Export(const TreeSession& session, const std::filesystem::path& path) {
    PendingFiles files({FilePlacement::Replace, {}});
    ASSERT_EQ(Why(AddTreeExport(path.string(), session, files)), "");
    ASSERT_EQ(Why(files.PlaceAll()), "");
}

int RunAlone(const std::string& arguments) {
    const int status = std::system((std::string(DENDROVA_BINARY) + " " + arguments).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TwoTreesTest, TwoSessionsOnTwoThreadsExportWhatTheCommandLineWritesForEach) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("dendrova-two-trees-" + std::to_string(getpid()));
    const std::filesystem::path together = folder / "together", alone = folder / "alone";
    std::filesystem::create_directories(together);
    std::filesystem::create_directories(alone);
    QtPlatform platform;
    SetPlatform(&platform);

    const Preset& fountain = *FindPreset("Fountain");
    TreeSession sessions[2] = {{TreeParams{}, 3}, {fountain.params, 4}};
    const char* names[2] = {"defaults.glb", "preset.obj"};
    auto work = [&](int i) {
        // Grown twice: a regrowth gives the same tree again, whatever the other thread does.
        for (int round = 0; round < 2; ++round) {
            sessions[i].Regrow();
            Export(sessions[i], together / names[i]);
        }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    SetPlatform(nullptr);

    // Same names in another folder: the .obj names its material library and pictures.
    ASSERT_EQ(RunAlone("--seed 3 --export " + (alone / names[0]).string()), 0);
    ASSERT_EQ(RunAlone("--seed 4 --preset '" + std::string(fountain.name) + "' --export " +
                       (alone / names[1]).string()),
              0);
    for (const char* name :
         {"defaults.glb", "preset.obj", "preset.mtl", "preset-bark.png", "preset-leaf.png"}) {
        const std::string mine = Read(together / name);
        EXPECT_FALSE(mine.empty()) << name;
        // Compared as a whole: a difference is reported without a diff of megabytes.
        EXPECT_TRUE(mine == Read(alone / name)) << name;
    }
    EXPECT_FALSE(Read(together / "defaults.glb") == Read(alone / "preset.obj"));
    std::filesystem::remove_all(folder);
}

} // namespace
