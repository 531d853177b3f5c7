// The file writer's guarantees where a command line cannot reach them: files that are
// to appear together, a name taken or a target swapped between writing and placing, a
// stop request in the middle of a file, and file systems without anonymous files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "FolderNames.h"
#include "export/FileOutput.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class FileOutputTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        AtomicFile::ForceNamedTemporaries(GetParam());
        folder = fs::temp_directory_path() / ("dendrova-files-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        AtomicFile::ForceNamedTemporaries(false);
        fs::remove_all(folder);
    }
    std::string Names() const { return FolderNames(folder); }
    std::string In(const char* name) const { return (folder / name).string(); }
    // What failed; empty on success.
    static std::string Why(const Result<>& written) {
        return written ? std::string() : written.Error().message;
    }

    fs::path folder;
};

} // namespace

// Of three files to appear together the last cannot take its name (it became a folder
// after it was written): the first, new, is taken back; the second, which replaced a
// file, keeps its new contents; no temporary remains.
TEST_P(FileOutputTest, FilesPlacedTogetherAreTakenBackWhenALaterOneFails) {
    std::ofstream(folder / "b.mtl") << "old";
    ::chmod(In("b.mtl").c_str(), 0600);
    PendingFiles files;
    EXPECT_EQ(Why(files.Add(In("a.png"), std::string("picture"))), "");
    EXPECT_EQ(Why(files.Add(In("b.mtl"), std::string("library"))), "");
    EXPECT_EQ(Why(files.Add(In("c.obj"), std::string("object"))), "");
    if (!GetParam()) {
        EXPECT_EQ(Names(), "b.mtl"); // written, and no name leads to them yet
    }
    fs::create_directory(folder / "c.obj");
    const Result<> result = files.PlaceAll();
    EXPECT_NE(Why(result).find("cannot write '" + In("c.obj") + "'"), std::string::npos)
        << Why(result);
    EXPECT_EQ(Names(), "b.mtl c.obj");
    EXPECT_EQ(Read(folder / "b.mtl"), "library");
    EXPECT_EQ(fs::status(folder / "b.mtl").permissions(), fs::perms(0600));
}

// A new file whose name another program takes between the search and the placing: the
// writing fails, and the other file stays as it is under the name, so that the caller
// sees that the name was taken.
TEST_P(FileOutputTest, CreateNewNeverReplaces) {
    PendingFiles files({FilePlacement::CreateNew, {}});
    ASSERT_EQ(Why(files.Add(In("shot.png"), std::string("mine"))), "");
    std::ofstream(folder / "shot.png") << "theirs";
    const Result<> result = files.PlaceAll();
    EXPECT_NE(Why(result).find("cannot write '" + In("shot.png") + "': File exists"),
              std::string::npos)
        << Why(result);
    EXPECT_EQ(Read(folder / "shot.png"), "theirs");
    EXPECT_EQ(Names(), "shot.png");

    // A broken link holds its name too, and what it points to is not created.
    fs::create_symlink("nowhere.png", folder / "link.png");
    EXPECT_FALSE(
        WriteFileAtomically(In("link.png"), std::string("x"), {FilePlacement::CreateNew, {}}));
    EXPECT_TRUE(fs::is_symlink(folder / "link.png"));
    EXPECT_EQ(Why(WriteFileAtomically(In("free.png"), std::string("new"),
                                      {FilePlacement::CreateNew, {}})),
              "");
    EXPECT_EQ(Names(), "free.png link.png shot.png");
    EXPECT_EQ(Read(folder / "free.png"), "new");
}

// A stop request while a large file is written: the writing fails at the next flush of
// the buffer, long before the end, and the old file stays.
TEST_P(FileOutputTest, StopRequestDropsTheFile) {
    std::ofstream(folder / "tree.glb") << "old";
    int asked = 0;
    size_t handed = 0;
    const Result<> result = WriteFileAtomically(
        In("tree.glb"),
        [&handed](std::ostream& out) {
            const std::string block(4096, 'x');
            for (int i = 0; i < 25600 && out.good(); ++i) {
                out.write(block.data(), static_cast<std::streamsize>(block.size()));
                handed += block.size();
            }
            return true;
        },
        {FilePlacement::Replace, [&asked] { return ++asked == 3; }});
    EXPECT_NE(Why(result).find("interrupted"), std::string::npos) << Why(result);
    EXPECT_EQ(asked, 3);
    EXPECT_LT(handed, size_t(1) << 20);
    EXPECT_EQ(Names(), "tree.glb");
    EXPECT_EQ(Read(folder / "tree.glb"), "old");
}

// Both ways of making the temporary file: anonymous, and named where a file system has no
// anonymous files.
INSTANTIATE_TEST_SUITE_P(Temporaries, FileOutputTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Named" : "Anonymous"; });
