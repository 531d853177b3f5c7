#pragma once

#include <span>
#include <string_view>

#include "model/TreeParams.h"

// A named set of parameters that ships with the program: a starting point for a user
// who has not found a tree of their own yet.
struct Preset {
    const char* name; // shown in the panel's menu and printed by --list-presets
    TreeParams params;
};

// The built-in presets, the defaults first.
std::span<const Preset> BuiltInPresets();

// The preset called `name`, compared without regard to case and with blanks, hyphens
// and underscores alike ("weeping-willow" finds "Weeping Willow"); null if none.
const Preset* FindPreset(std::string_view name);
