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

// The preset called `name`, compared without regard to ASCII case and to blanks and
// hyphens anywhere ("round-crown", "roundcrown" and " ROUND  CROWN" find "Round Crown";
// "Round_Crown" does not); null if none.
const Preset* FindPreset(std::string_view name);
