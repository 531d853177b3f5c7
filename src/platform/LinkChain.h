#pragma once

#include <string>

#include "base/Failure.h"

// The file that writing `path` should replace: `path` itself, or, when it is a symbolic
// link, the file at the end of its chain of links (which need not exist yet). Fails, with
// the reason in a few words, for a chain that does not end or cannot be read.
Result<std::string> ResolveLinkChain(const std::string& path);
