#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "viewer/FrameNotice.h"

class TreeSession;

// What the viewer writes into its output folder on the user's request: a picture of the
// frame on screen (P) and the tree as binary glTF (E), under names that never replace an
// existing file, with a short notice over the frame saying where the file went or why
// nothing was written. The files themselves are those the command line writes
// (export/SessionOutput.h).
class ViewerOutput {
public:
    // `redraw` draws a frame: when a notice comes and when it goes.
    explicit ViewerOutput(std::function<void()> redraw);

    // P: `rgba` is the frame, width x height, the bottom row first, of the tree grown
    // from `seed`. E: the session's tree. True when the file was written.
    bool SavePicture(const std::vector<uint8_t>& rgba, int width, int height, uint32_t seed);
    bool ExportTree(const TreeSession& session);

    // The folder P and E write into (the working folder unless set).
    void SetFolder(std::string folder) { folder_ = std::move(folder); }
    const std::string& Folder() const { return folder_; }
    // The path of the last file written.
    const std::string& LastPath() const { return lastPath_; }
    // The notice over the frame; the window draws it.
    FrameNotice& Notice() { return notice_; }
    const FrameNotice& Notice() const { return notice_; }

private:
    bool Report(const std::string& path, const Result<>& written);

    std::string folder_ = ".";
    std::string lastPath_;
    FrameNotice notice_;
};

// The first name "dendrova-seed<seed>-<n><extension>" (n = 1, 2, ...) that nothing holds
// in `folder`: no file, no folder, no link (a broken one included).
std::string FreeOutputName(const std::string& folder, uint32_t seed, const char* extension);
