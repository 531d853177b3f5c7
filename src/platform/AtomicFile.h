#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

#include "base/Failure.h"

// How a file written by AtomicFile takes its name once complete.
enum class FilePlacement {
    // Over the file that is there, if any: the user's symbolic links are followed, so the
    // link stays and the file it points to is replaced; the old file's permission bits
    // are kept.
    Replace,
    // Only under a name that nothing holds (not even a broken link); a name taken in the
    // meantime fails, and the name is then held by what took it, so that the caller can
    // tell and pick another.
    CreateNew,
};

// A file that appears whole or not at all. The contents go to an anonymous file in the
// target's folder, which no name leads to until it is complete and synced: a kill at
// any moment leaves nothing behind, and no two writers of one name mix their bytes.
// Only then does the file get a short random name in that folder and is renamed over the
// target (or, for CreateNew, linked under the target's name, which fails if it is taken).
// On file systems without anonymous files the contents go to a new file with a short
// random name instead, created exclusively (never a name that may already exist, never
// through a link), removed again on every failure.
//
// A target that exists and is not a regular file (a folder, FIFO, device) is refused and
// never opened; a new file gets 0666 less the umask. A failure gives its reason in a few
// words ("it is not a regular file", a system error's text), without the file's name,
// which the caller shows its own way.
class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Drops the contents of a file not put in place.
    ~AtomicFile();

    // Checks the target `path` (the name's bytes as they are) and creates the temporary
    // file.
    Result<> Open(const std::string& path, FilePlacement placement);
    // Appends `size` bytes to the temporary file.
    Result<> Write(const void* data, size_t size);
    // Syncs the contents to the disk: after this only putting the file in place is left.
    Result<> Finish();
    // Puts the finished file in place under the target's name.
    Result<> Place();
    // Removes the placed file again if this writer created it (there was no file before)
    // and it is still the one under that name: takes back one file of several that are to
    // appear together when a later one fails. False when nothing was removed.
    bool RemoveIfCreated();

    const std::string& Path() const { return path_; }

    // Tests only: write through named temporaries as on file systems without anonymous
    // files.
    static void ForceNamedTemporaries(bool force);

private:
    // Drops the file and gives the failure.
    Failure Fail(int code);
    Failure Fail(const std::string& reason);
    Result<> CreateTemporary();
    bool LinkAnonymous(const std::string& name);
    void Close();

    std::string path_;      // as given
    std::string name_;      // the target's name in its folder
    std::string temporary_; // a name of ours in the folder that leads to the contents
    int folder_ = -1;       // the target's folder
    int fd_ = -1;           // the contents
    FilePlacement placement_ = FilePlacement::Replace;
    bool existed_ = false; // a file was at the target when it was opened
    mode_t mode_ = 0;      // that file's permission bits
    bool finished_ = false;
    bool placed_ = false;
};
