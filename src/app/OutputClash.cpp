#include "app/OutputClash.h"

#include "model/ShownText.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct Named {
    fs::path lexical; // absolute and lexically normalized
    fs::path real;    // with the links of its existing part followed; empty if unknown
};

Named NamedFile(const std::string& path) {
    std::error_code ec;
    Named named;
    named.lexical = fs::absolute(fs::path(path), ec).lexically_normal();
    named.real = fs::weakly_canonical(named.lexical, ec);
    if (ec) {
        named.real.clear();
    }
    return named;
}

bool SameFile(const Named& a, const Named& b) {
    if (a.lexical == b.lexical || (!a.real.empty() && a.real == b.real)) {
        return true;
    }
    // Only two files that both exist can be compared by what they are.
    std::error_code ec;
    return fs::exists(a.lexical, ec) && fs::exists(b.lexical, ec) &&
           fs::equivalent(a.lexical, b.lexical, ec) && !ec;
}

} // namespace

std::optional<std::pair<std::string, std::string>>
SharedOutputFile(const std::vector<std::string>& paths) {
    std::vector<Named> named;
    for (const std::string& path : paths) {
        named.push_back(NamedFile(path));
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        for (size_t j = i + 1; j < paths.size(); ++j) {
            if (SameFile(named[i], named[j])) {
                return std::make_pair(paths[i], paths[j]);
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> OutputClashText(const std::vector<std::string>& paths,
                                           const std::string& ownFiles) {
    const auto shared = SharedOutputFile(paths);
    if (!shared) {
        return std::nullopt;
    }
    if (shared->first == shared->second) {
        return "--export and --render both write " + QuotedText(shared->first);
    }
    return QuotedText(shared->first) + " and " + QuotedText(shared->second) +
           " are the same file: " + ownFiles;
}
