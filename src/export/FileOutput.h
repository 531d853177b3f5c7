#pragma once

#include <functional>
#include <ostream>
#include <string>

// Writes a file through a temporary name beside it and renames it into place only when
// everything was written, so a failure (unwritable folder, full disk, a writer that gives
// up) never leaves a half-written file behind. `write` fills the stream and returns false
// to give up. Returns an empty string on success, otherwise one line saying what failed.
std::string WriteFileAtomically(const std::string& path,
                                const std::function<bool(std::ostream&)>& write);

// Same for bytes already in memory.
std::string WriteFileAtomically(const std::string& path, const std::string& bytes);
