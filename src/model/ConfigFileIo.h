#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Failure.h"

// File handling of the parameter file, safe against whatever sits under its names.

// Reads up to `capacity` bytes from the start of the file `path` names, opening the name
// once. A regular file (or a symbolic link to one) is read; with `pipes`, so is a pipe or
// FIFO, to its end after the open (one without a writer reads as empty). The name is
// opened without blocking and what was opened is checked on the descriptor, so a name
// swapped for a FIFO in between cannot hold the program up; a directory, device or socket
// is refused without being opened. Anything else, a missing file or a read error fails,
// saying why in a few words (without the file's name).
Result<std::string> ReadNamedFile(const std::string& path, size_t capacity, bool pipes);

// ReadNamedFile for a regular file only, into `out`; returns how many bytes arrived.
Result<size_t> ReadRegularFile(const std::string& path, uint8_t* out, size_t capacity);

// Replaces the file `path` names (through its links) by `size` bytes, atomically: the
// bytes go to a new file created exclusively beside the target ("<target>.new"), which
// is then renamed over it. A stale temporary file of ours or a link under that name is
// removed first; anything else there (a directory, a FIFO) makes the save fail and stays.
// A target that exists but is not a regular file is not replaced. The target's
// permission bits are kept. On failure the old file is untouched, nothing
// this call did not create is removed, and the failure says what went wrong.
Result<> ReplaceFileAtomically(const std::string& path, const uint8_t* data, size_t size);
