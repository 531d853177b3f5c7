#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Failure.h"

// File handling of the parameter files, safe against whatever sits under their names.

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

// Writes `size` bytes as the whole of the file `path` names, through AtomicFile
// (FilePlacement::Replace): a link is followed and the file at its end replaced, keeping
// its permission bits; the bytes go to an anonymous file beside the target, synced and only
// then put in its place. A target that exists and is not a regular file is refused. On
// failure the old file is untouched and nothing is left behind; the failure is one line
// naming the file: "cannot write 'X': reason".
Result<> WriteWholeFile(const std::string& path, const void* data, size_t size);
