#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// The names in `folder`, hidden ones included, sorted, on one line: what a test expects a
// write to have left there.
inline std::string FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string all;
    for (const std::string& name : names) {
        all += (all.empty() ? "" : " ") + name;
    }
    return all;
}
