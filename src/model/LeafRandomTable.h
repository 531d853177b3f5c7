#pragma once

#include <cstdint>
#include <memory>

inline constexpr int LeafFactorCount = 256;

// 256 random factors between 0.5 and 1.5 handed out in order to the leaves of a growth.
struct LeafRandomTable {
    std::unique_ptr<float[]> entries; // none before creation and after freeing
    int32_t cursor = 0;               // next entry, taken modulo 256
    uint32_t seed = 0;                // the generator's seed the entries were drawn with
};

extern LeafRandomTable leafRandomTable;

// Fills the table once per run from a clock-seeded generator; does nothing if it exists.
void CreateLeafRandomTable();
// Same, seeded with a fixed value, so a tree can be grown again exactly.
void CreateLeafRandomTableSeeded(uint32_t seed);
// The seed CreateLeafRandomTable takes: the calendar time in whole seconds.
uint32_t ClockSeed();
void FreeLeafRandomTable();
// The entry at the cursor (modulo 256), then the cursor advances. Without a table
// (its allocation failed) every leaf gets the neutral factor 1.0.
float TakeLeafFactor();
void ResetLeafFactors();
// The factor made from one generator sample g in 0..32767: 0 gives 0.5, 32767 gives 1.5.
float LeafFactorFromSample(int32_t g);
