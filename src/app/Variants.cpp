#include "app/Variants.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/OutputClash.h"
#include "export/ExportTree.h"
#include "model/LeafRandomTable.h"
#include "model/ShownText.h"

namespace {

Failure Bad(const std::string& message) {
    return Failure{message, UsageExitCode};
}

// A decimal count from 1 to MaxVariants, nothing else.
std::optional<int> ParseCount(const std::string& text) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int count = std::stoi(text);
    if (count < 1 || count > MaxVariants) {
        return std::nullopt;
    }
    return count;
}

} // namespace

std::string VariantPath(const std::string& path, uint32_t seed) {
    const size_t extension = std::filesystem::path(path).extension().string().size();
    const size_t stem = path.size() - extension;
    return path.substr(0, stem) + "-" + std::to_string(seed) + path.substr(stem);
}

std::vector<uint32_t> VariantSeeds(const CommandLineOptions& options) {
    std::vector<uint32_t> seeds;
    const uint32_t first = options.seed.value_or(0);
    for (int i = 0; i < options.variants; ++i) {
        seeds.push_back(first + static_cast<uint32_t>(i));
    }
    return seeds;
}

Result<> ReadVariants(const std::string& text, CommandLineOptions& options) {
    const std::optional<int> count = ParseCount(text);
    if (!count) {
        return Bad("bad value " + QuotedText(text) +
                   " for --variants: expected a whole number from 1 to 64");
    }
    if (!options.Batch()) {
        return Bad("--variants needs --export or --render");
    }
    options.variants = *count;
    const uint32_t highestFirst = LargestSeed - static_cast<uint32_t>(*count - 1);
    if (!options.seed) {
        options.seed = std::min(ClockSeed(), highestFirst);
        options.seedFromClock = true;
    } else if (*options.seed > highestFirst) {
        return Bad("--variants " + std::to_string(*count) + " from seed " +
                   std::to_string(*options.seed) + " would pass the largest seed, " +
                   std::to_string(LargestSeed) + ": start at " + std::to_string(highestFirst) +
                   " at most");
    }
    return {};
}

Result<> VariantOutputsApart(const CommandLineOptions& options) {
    std::vector<std::string> outputs;
    if (!options.exportPath.empty()) {
        for (const uint32_t seed : VariantSeeds(options)) {
            for (std::string& file : ExportedFiles(VariantPath(options.exportPath, seed))) {
                outputs.push_back(std::move(file));
            }
        }
    }
    if (!options.renderPath.empty()) {
        outputs.push_back(options.renderPath);
    }
    if (const std::optional<std::string> clash =
            OutputClashText(outputs, "every output of --variants needs a file of its own")) {
        return Bad(*clash);
    }
    return {};
}
