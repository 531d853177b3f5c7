#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr int LeafFactorCount = 256;

// 256 random factors between 0.5 and 1.5, drawn from one seed. A growth hands them to its
// leaves in growth order from the first, starting over after the last, so the same
// parameters and seed always give the same tree. A plain value: every tree session has
// its own.
struct LeafRandomTable {
    // The factors of seed 0.
    LeafRandomTable() : LeafRandomTable(0) {}
    // The factors drawn with `seed`.
    explicit LeafRandomTable(uint32_t seed);

    // The factor of the leaf that comes `index`-th in growth order (counting from 0).
    float Factor(int64_t index) const { return entries[static_cast<size_t>(index & 0xFF)]; }

    uint32_t seed = 0; // the generator's seed the entries were drawn with
    std::array<float, LeafFactorCount> entries{};
};

// The seed a run takes when none is given: the calendar time in whole seconds.
uint32_t ClockSeed();
// A seed drawn from the system's random source, other than `current`: a new random tree
// each time, however quickly asked for.
uint32_t FreshSeed(uint32_t current);
// The factor made from one generator sample g in 0..32767: 0 gives 0.5, 32767 gives 1.5.
float LeafFactorFromSample(int32_t g);
