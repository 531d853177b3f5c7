#include "platform/LinkChain.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Chains longer than this are taken as loops, as the kernel does.
constexpr int MaxLinkHops = 40;

// Reads the target of the link `path`; empty on failure.
std::string ReadLink(const std::string& path) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<size_t>(n) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(n));
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

Result<std::string> ResolveLinkChain(const std::string& path) {
    std::string target = path;
    for (int hops = 0;; ++hops) {
        struct stat info;
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return target;
        }
        const std::string link = ReadLink(target);
        if (link.empty() || hops == MaxLinkHops) {
            const int code = link.empty() && errno != 0 ? errno : ELOOP;
            return Failure{std::strerror(code)};
        }
        // A relative link is relative to the folder that holds it.
        const size_t slash = target.rfind('/');
        if (link[0] == '/' || slash == std::string::npos) {
            target = link;
        } else {
            target = target.substr(0, slash + 1) + link;
        }
    }
}
