#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "platform/AtomicFile.h"

// The files the program writes besides its settings (exports, pictures), each written
// whole or not at all through AtomicFile: a failure (an unwritable folder, a full disk,
// a writer that gives up, a stop request) or a kill never leaves a half-written file or
// a temporary behind, and never touches the file that was there before. A failure is one
// line naming the file: "cannot write 'X': reason". A file to be created new whose name
// something took meanwhile fails, and the name is then held (what took it stays as it is).

struct FileWriteOptions {
    FilePlacement placement = FilePlacement::Replace;
    // Asked before each file and at every flush of a file's buffer; when it says yes the
    // writing fails and the file is dropped. May be empty.
    std::function<bool()> stop;
};

// Fills a stream and returns false to give up (a size limit of the format).
using StreamWriter = std::function<bool(std::ostream&)>;

// Files that are to appear together: each is written completely (and synced) under no
// name of its own first; PlaceAll then puts them in place in the order they were added.
// Files never placed are dropped when the set goes.
class PendingFiles {
public:
    explicit PendingFiles(FileWriteOptions options = {});
    ~PendingFiles();

    Result<> Add(const std::string& path, const StreamWriter& write);
    Result<> Add(const std::string& path, const std::string& bytes);

    // Puts every file in place; when one fails, the files this set created before it
    // are removed again (files it replaced keep their new contents).
    Result<> PlaceAll();
    // Drops every file not yet placed, as the set's end does.
    void DropAll() { files_.clear(); }

private:
    FileWriteOptions options_;
    std::vector<std::unique_ptr<AtomicFile>> files_;
};

// After a failed write of a new file (FilePlacement::CreateNew) under a name that was free
// when it was chosen: whether something holds the name now (a file, a folder, a link, a
// broken one included), so that another free name is worth a try.
bool NameTakenMeanwhile(const Result<>& written, const std::string& path);

// One file written and put in place.
Result<> WriteFileAtomically(const std::string& path, const StreamWriter& write,
                             const FileWriteOptions& options = {});
Result<> WriteFileAtomically(const std::string& path, const std::string& bytes,
                             const FileWriteOptions& options = {});
