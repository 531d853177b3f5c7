#include "model/Presets.h"

#include <array>
#include <string>

namespace {

// Members in TreeParams order: depth, segment expand, length and radius attenuation,
// twist, bifurcate angle, side depth and scale attenuation, leaf size and expand angle,
// shadow length, branch and leaf shadow density.
constexpr std::array<Preset, 7> Presets = {{
    {"Defaults", TreeParams{}},
    {"Round Crown",
     {13.0f, 30.0f, 0.8f, 0.75f, 61.0f, 45.0f, 1.0f, 0.95f, 3.0f, 26.4f, 0.98f, 0.25f, 0.12f}},
    {"Slender Column",
     {20.0f, 6.0f, 0.88f, 0.85f, 137.5f, 15.0f, 0.6f, 0.93f, 1.8f, 20.0f, 0.98f, 0.3f, 0.25f}},
    {"Bare Winter",
     {22.0f, 20.0f, 0.86f, 0.85f, 61.0f, 58.8f, 0.8f, 0.93f, 0.1f, 26.4f, 0.98f, 0.3f, 0.0f}},
    {"Umbrella",
     {16.0f, 45.0f, 0.85f, 0.8f, 150.0f, 30.0f, 0.9f, 0.97f, 2.2f, 26.4f, 0.98f, 0.3f, 0.25f}},
    {"Fountain",
     {22.0f, 14.0f, 0.9f, 0.8f, 0.0f, 60.0f, 0.7f, 0.95f, 2.0f, 80.0f, 0.98f, 0.3f, 0.25f}},
    {"Curled Arch",
     {21.0f, 18.0f, 0.9f, 0.8f, 0.0f, 100.0f, 0.7f, 0.95f, 2.0f, 26.4f, 0.98f, 0.3f, 0.25f}},
}};

// `name` without blanks and hyphens, in ASCII lower case: the form two names are
// compared in. Underscores and everything else count as they are.
std::string Folded(std::string_view name) {
    std::string folded;
    for (const char c : name) {
        if (c == ' ' || c == '\t' || c == '-')
            continue;
        folded += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return folded;
}

} // namespace

std::span<const Preset> BuiltInPresets() {
    return Presets;
}

const Preset* FindPreset(std::string_view name) {
    const std::string wanted = Folded(name);
    for (const Preset& preset : Presets) {
        if (Folded(preset.name) == wanted)
            return &preset;
    }
    return nullptr;
}
