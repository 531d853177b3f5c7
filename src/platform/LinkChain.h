#pragma once

#include <string>

// The file that writing `path` should replace: `path` itself, or, when it is a symbolic
// link, the file at the end of its chain of links (which need not exist yet). Empty,
// with `error` set and errno saying why, for a chain that does not end or cannot be read.
std::string ResolveLinkChain(const std::string& path, std::string* error);
