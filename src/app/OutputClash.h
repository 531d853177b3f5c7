#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The first two of `paths` that name the same file, or none when each names a file of
// its own. Two paths name the same file when their absolute, lexically normalized forms
// are equal, when they are equal once the links among their existing folders are
// followed, or when both exist and are one file (the same device and inode, following
// links), as a symbolic or hard link makes them.
std::optional<std::pair<std::string, std::string>>
SharedOutputFile(const std::vector<std::string>& paths);

// The one line that says why `paths` clash (an output named twice, or two names of one
// file, `ownFiles` saying what each output needs), or none when they do not.
std::optional<std::string> OutputClashText(const std::vector<std::string>& paths,
                                           const std::string& ownFiles);
